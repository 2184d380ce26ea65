#include "info/info_dlg.h"

#include <QFocusEvent>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QPixmap>
#include <QScrollBar>
#include <QTimer>
#include <QTimerEvent>
#include <cmath>
#include <new>
#include <vector>

#include "info/history_text.h"
#include "res/dialog_template.h"
#include "res/qt_resources.h"
#include "res/resource_ids.h"
#include "res/text_resource.h"
#include "ui/dialog_builder.h"
#include "ui/list_box.h"

CInfoDlg* g_pInfoDlg = nullptr;

namespace {

constexpr int kAnimationTimer = 1;
constexpr int kWatchTimer = 2;
constexpr int kFramePeriodMs = 10;
constexpr int kCheckIntervalMs = 2500;
constexpr int kTextureBytes = 32 * 32 * 2;
constexpr int kHistoryTabStop = 20;  // dialog template units

int g_checkIntervalMs = kCheckIntervalMs;
bool g_failPicture = false;
int g_historyId = kHistoryTextId;

// Image rows run top-down, the picture's rows bottom-up: rows are copied one
// at a time, each image row seen as a surface of one row, so the program's
// own kernels do every conversion.
void ImageToPicture(const QImage& image, PixelSurface& picture, const QRect& r) {
    for (int y = r.top(); y <= r.bottom(); ++y) {
        PixelSurface row(const_cast<uint8_t*>(image.constScanLine(y)), image.width(), 1, 32);
        picture.Blit(r.left(), y, row, r.left(), 0, r.width(), 1);
    }
}

// The kernel leaves the fourth byte of each 32-bit pixel 0; the toolkit's
// RGB32 images expect 0xFF there, so it is set over the converted part.
void PictureToImage(const PixelSurface& picture, QImage& image, const QRect& r) {
    const QRect converted = r.intersected(image.rect());
    for (int y = converted.top(); y <= converted.bottom(); ++y) {
        uint8_t* line = image.scanLine(y);
        PixelSurface row(line, image.width(), 1, 32);
        row.Blit(converted.left(), 0, picture, converted.left(), y, converted.width(), 1);
        auto* px = reinterpret_cast<uint32_t*>(line) + converted.left();
        for (int x = 0; x < converted.width(); ++x)
            px[x] |= 0xFF000000u;
    }
}

// Bytes of a bitmap's pixels: rows padded to 4 bytes.
int64_t DibImageBytes(const BitmapInfoHeader& h) {
    const int64_t pitch = (static_cast<int64_t>(h.biWidth) * h.biBitCount + 31) / 32 * 4;
    return pitch * h.biHeight;
}

}  // namespace

CInfoDlg::CInfoDlg(QWidget* parent) : QDialog(parent) {
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowCloseButtonHint);
}

// The picture is released by the closing command; a dialog destroyed without
// one releases it here.
CInfoDlg::~CInfoDlg() {
    ReleasePicture();
}

void CInfoDlg::SetCheckIntervalForTests(int milliseconds) {
    g_checkIntervalMs = milliseconds > 0 ? milliseconds : kCheckIntervalMs;
}

void CInfoDlg::SetPictureFailureForTests(bool fail) {
    g_failPicture = fail;
}

void CInfoDlg::SetHistoryResourceForTests(int id) {
    g_historyId = id != 0 ? id : kHistoryTextId;
}

bool CInfoDlg::IsTimerActive(int id) const {
    return id >= 1 && id <= 2 && m_timers[id].isActive();
}

bool CInfoDlg::HoldsPicture() const {
    return m_dibBits || m_backgroundBits || m_textureBits || !m_memDC.isNull();
}

int CInfoDlg::DoModal() {
    const DialogTemplate& dialog = InfoDialogTemplate();
    setFont(DialogFont());
    setWindowTitle(QString::fromUtf8(dialog.caption));
    setFixedSize(DialogSizeToPixels(dialog.width, dialog.height));
    const auto controls = BuildDialogControls(dialog, this);
    const auto list = controls.find(res::kListHistory);
    m_list = list == controls.end() ? nullptr : qobject_cast<ListBox*>(list->second);
    DoDataExchange();
    return exec();
}

void CInfoDlg::DoDataExchange() {
    if (m_list) m_list->installEventFilter(this);
}

// The dialog initialises when it is first shown, inside the modal run, the
// way a dialog gets its initialisation message.
void CInfoDlg::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (m_initialized) return;
    m_initialized = true;
    OnInitDialog();
}

bool CInfoDlg::OnInitDialog() {
    if (QWidget* focus = focusWidget()) focus->clearFocus();
    m_lastTopIndex = -1;
    LoadHistory();
    if (m_list) m_list->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);

    // The complete dialog, controls and all, is rendered into the picture.
    m_animating = true;
    if (!CapturePicture()) return true;
    m_background.Blit(0, 0, m_screen, 0, 0, -1, -1);

    for (QWidget* child : findChildren<QWidget*>()) {
        if (child->property(kControlIdProperty).isValid()) HideChildProc(child, 0);
    }
    ShowPicture();
    SetTimer(kAnimationTimer, kFramePeriodMs);
    return true;
}

// The texture and a new cube for the picture just taken, which from now on
// paints the whole dialog.
void CInfoDlg::ShowPicture() {
    CaptureTexture();
    StartCube(m_screen.width, m_screen.height);
    setAttribute(Qt::WA_OpaquePaintEvent, true);
    update();
}

// A picture taken at another scale factor than the dialog's now is taken
// again at the new device size, so that the dialog looks as one opened on
// its screen; the cube starts afresh and the mode stays. Should that fail,
// the dialog goes on as after a failed set-up: its controls live, no cube.
void CInfoDlg::FollowScaleFactor() {
    if (!m_backgroundBits || devicePixelRatioF() == m_pictureRatio) return;
    ReleasePicture();
    std::vector<QWidget*> hidden;  // the controls the picture shows
    for (QWidget* child : findChildren<QWidget*>()) {
        if (child->property(kControlIdProperty).isValid() && child->isHidden())
            hidden.push_back(child);
    }
    for (QWidget* child : hidden)
        child->show();
    if (m_list) m_list->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    if (CapturePicture()) {
        m_background.Blit(0, 0, m_screen, 0, 0, -1, -1);
        for (QWidget* child : hidden)
            child->hide();
        ShowPicture();
    } else {
        ReleasePicture();
        KillTimer(kAnimationTimer);
        KillTimer(kWatchTimer);
        m_lastTopIndex = -1;
        update();
    }
    if (m_list && !m_animating) m_list->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
}

// Once per turn of the event loop at most, outside any paint.
void CInfoDlg::QueueScaleCheck() {
    if (m_scaleCheckQueued) return;
    m_scaleCheckQueued = true;
    QTimer::singleShot(0, this, [this] {
        m_scaleCheckQueued = false;
        FollowScaleFactor();
    });
}

// A move to another screen, or a new scale factor of the same screen, may
// change the device pixel ratio.
bool CInfoDlg::event(QEvent* event) {
    if (event->type() == QEvent::ScreenChangeInternal
#if QT_VERSION >= QT_VERSION_CHECK(6, 6, 0)
        || event->type() == QEvent::DevicePixelRatioChange
#endif
    )
        QueueScaleCheck();
    return QDialog::event(event);
}

void CInfoDlg::LoadHistory() {
    // While the cube runs every control is hidden; a screen reader still
    // reads the title and the whole history as the dialog's description.
    QStringList readable;
    for (const DialogControl& c : InfoDialogTemplate().controls) {
        if (c.cls == ControlClass::Static && c.text) readable += QString::fromUtf8(c.text);
    }
    setAccessibleName(windowTitle());
    setAccessibleDescription(readable.join(QLatin1Char('\n')));

    const std::span<const unsigned char> text = FindTextResource("TEXTE", g_historyId);
    if (!m_list || text.empty()) return;
    m_list->setFont(DialogFont());
    m_list->SetTabStops(kHistoryTabStop);
    for (const std::string& line : SplitHistoryLines(text)) {
        const QString shown = QString::fromStdString(Cp1252ToUtf8(line));
        m_list->addItem(shown);
        readable += shown;
    }
    setAccessibleDescription(readable.join(QLatin1Char('\n')));
}

// Allocates the picture, its clean copy and the texture for a w x h client
// area at device pixels, and fills the picture from the rendered dialog.
bool CInfoDlg::CapturePicture() {
    const QImage shot = grab().toImage().convertToFormat(QImage::Format_RGB32);
    if (!m_dibBits) {
        if (!CreatePicture(shot.width(), shot.height())) return false;
        m_pictureRatio = shot.devicePixelRatio();
    }
    if (shot.width() != m_screen.width || shot.height() != m_screen.height ||
        shot.devicePixelRatio() != m_pictureRatio)
        return false;
    ImageToPicture(shot, m_screen, shot.rect());
    return true;
}

bool CInfoDlg::CreatePicture(int32_t w, int32_t h) {
    if (g_failPicture || w <= 0 || h <= 0) return false;
    m_bmih = BitmapInfoHeader{40, w, h, 1, 16, 0, 0, 80, 80, 0, 0};
    m_dibBits = new (std::nothrow) uint8_t[static_cast<size_t>(DibImageBytes(m_bmih))];
    m_memDC = QImage(w, h, QImage::Format_RGB32);
    if (!m_dibBits || m_memDC.isNull()) return false;
    m_textureBits = new (std::nothrow) uint16_t[kTextureBytes / 2];
    const size_t backgroundBytes = static_cast<size_t>((w + 3) & ~3) * static_cast<size_t>(h) * 2;
    m_backgroundBits = new (std::nothrow) uint8_t[backgroundBytes];
    if (!m_textureBits || !m_backgroundBits) return false;
    m_background.AttachBuffer(m_backgroundBits, w, h, 16);
    m_screen.AttachDib(m_dibBits, &m_bmih);
    return true;
}

// Texture, clean copy, picture and the image painted from it, in that order;
// each only when present. The surfaces are emptied too, so that nothing can
// reach the released memory through them.
void CInfoDlg::ReleasePicture() {
    delete[] m_textureBits;
    m_textureBits = nullptr;
    delete[] m_backgroundBits;
    m_backgroundBits = nullptr;
    m_background = PixelSurface();
    delete[] m_dibBits;
    m_dibBits = nullptr;
    m_screen = PixelSurface();
    m_memDC = QImage();
    setAttribute(Qt::WA_OpaquePaintEvent, false);
}

bool CInfoDlg::HideChildProc(QWidget* child, intptr_t) {
    const int id = child->property(kControlIdProperty).toInt();
    if (id != res::kCmdOk && id != res::kCmdCancel && g_pInfoDlg && g_pInfoDlg->m_animating)
        child->hide();
    return true;
}

void CInfoDlg::CaptureTexture() {
    // The icon over the picture's top-left corner, where its transparent
    // parts let the picture show through.
    const QRect corner(0, 0, 32, 32);
    QImage drawn(corner.size(), QImage::Format_RGB32);
    PictureToImage(m_screen, drawn, corner.intersected(m_memDC.rect()));
    {
        QPainter painter(&drawn);
        // The 32-pixel image itself, whatever the scale factor: the texture
        // has 32 x 32 texels.
        painter.drawPixmap(0, 0,
                           QPixmap::fromImage(QImage(IconResourcePath(res::kIconInfo), "PNG")));
    }
    ImageToPicture(drawn, m_screen, corner.intersected(m_memDC.rect()));

    PixelSurface texture(reinterpret_cast<uint8_t*>(m_textureBits), 32, 32, 16);
    texture.Blit(0, 0, m_screen, 0, 0, 32, 32);
    m_screen.Blit(0, 0, m_background, 0, 0, 32, 32);
}

void CInfoDlg::StartCube(int32_t w, int32_t h) {
    m_cube.Start(w, h);
}

void CInfoDlg::StepAnimation() {
    if (!m_backgroundBits || !m_frameShown) return;
    m_frameShown = false;
    InvalidateRect(m_cube.DrawFrame(m_screen, m_background, m_textureBits));
}

// `r` is in the picture's device pixels, exclusive of right and bottom.
void CInfoDlg::InvalidateRect(const CubeRect& r) {
    const qreal dpr = m_pictureRatio;
    const int left = static_cast<int>(std::floor(r.left / dpr));
    const int top = static_cast<int>(std::floor(r.top / dpr));
    const int right = static_cast<int>(std::ceil(r.right / dpr));
    const int bottom = static_cast<int>(std::ceil(r.bottom / dpr));
    if (right > left && bottom > top) update(left, top, right - left, bottom - top);
}

void CInfoDlg::paintEvent(QPaintEvent* event) {
    OnPaint(event);
}

// The part of the picture under the repainted region is converted and drawn
// pixel for pixel at the device's resolution. A picture of another scale
// factor is drawn scaled to the dialog's size until it is taken again.
void CInfoDlg::OnPaint(QPaintEvent* event) {
    if (!m_backgroundBits) {
        QDialog::paintEvent(event);
        return;
    }
    if (devicePixelRatioF() != m_pictureRatio) QueueScaleCheck();
    const qreal dpr = m_pictureRatio;
    const QRect logical = event->rect();
    const QRect device =
        QRect(QPoint(static_cast<int>(std::floor(logical.left() * dpr)),
                     static_cast<int>(std::floor(logical.top() * dpr))),
              QPoint(static_cast<int>(std::ceil((logical.right() + 1) * dpr)) - 1,
                     static_cast<int>(std::ceil((logical.bottom() + 1) * dpr)) - 1))
            .intersected(QRect(0, 0, m_screen.width, m_screen.height));
    if (!device.isEmpty()) {
        PictureToImage(m_screen, m_memDC, device);
        QPainter painter(this);
        painter.setWorldTransform(QTransform::fromScale(1 / dpr, 1 / dpr));
        painter.drawImage(device.topLeft(), m_memDC, device);
    }
    m_frameShown = true;
}

void CInfoDlg::SetTimer(int id, int milliseconds) {
    m_timers[id].start(milliseconds, Qt::PreciseTimer, this);
}

void CInfoDlg::KillTimer(int id) {
    m_timers[id].stop();
}

void CInfoDlg::timerEvent(QTimerEvent* event) {
    for (int id : {kAnimationTimer, kWatchTimer}) {
        if (event->timerId() == m_timers[id].timerId()) OnTimer(id);
    }
    QDialog::timerEvent(event);
}

void CInfoDlg::OnTimer(int id) {
    if (id == kAnimationTimer) {
        if (m_animating) {
            StepAnimation();
        } else if (m_lastTopIndex == -1) {
            m_lastTopIndex = m_list ? m_list->TopIndex() : 0;
            SetTimer(kWatchTimer, g_checkIntervalMs);
        }
    } else if (id == kWatchTimer) {
        const int top = m_list ? m_list->TopIndex() : 0;
        if (top == m_lastTopIndex) {
            ResumeAnimation();
        } else {
            m_lastTopIndex = top;
        }
    }
}

void CInfoDlg::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) OnLButtonDown();
    QDialog::mousePressEvent(event);
}

void CInfoDlg::OnLButtonDown() {
    if (!m_animating) return;
    m_animating = false;
    const CubeRect& box = m_cube.m_lastBox;
    const CubeRect r{box.left, box.top, box.right + 1, box.bottom + 1};
    m_screen.Blit(r.left, r.top, m_background, r.left, r.top, r.right - r.left + 1,
                  r.bottom - r.top + 1);
    InvalidateRect(r);
    if (m_list) {
        // Shown first: a hidden list would not lay its scroll bar out.
        m_list->show();
        m_list->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    }
}

// The list as the user left it, without its scroll bar, becomes the new
// clean picture; the cube goes on from where it was.
void CInfoDlg::ResumeAnimation() {
    if (m_list) m_list->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    if (m_dibBits && CapturePicture()) m_background.Blit(0, 0, m_screen, 0, 0, -1, -1);
    if (m_list) m_list->hide();
    KillTimer(kWatchTimer);
    m_lastTopIndex = -1;
    m_animating = true;
}

bool CInfoDlg::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_list && event->type() == QEvent::FocusIn) OnListSetFocus();
    return QDialog::eventFilter(watched, event);
}

// The list never keeps the keyboard focus, so it never shows a focus mark.
void CInfoDlg::OnListSetFocus() {
    if (m_list) m_list->clearFocus();
}

bool CInfoDlg::OnCommand(uint32_t wParam, intptr_t) {
    const int id = static_cast<int>(wParam & 0xFFFF);
    if (id == res::kCmdOk || id == res::kCmdCancel) {
        ReleasePicture();
        KillTimer(kAnimationTimer);
    }
    if (id == res::kCmdOk) QDialog::accept();
    if (id == res::kCmdCancel) QDialog::reject();
    if (id == res::kCmdResumeAnimation) ResumeAnimation();
    return true;
}

// Escape and the close box end the dialog as IDCANCEL.
void CInfoDlg::reject() {
    OnCommand(res::kCmdCancel, 0);
}

void CInfoDlg::accept() {
    OnCommand(res::kCmdOk, 0);
}
