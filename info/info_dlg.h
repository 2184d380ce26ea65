// The modal "Info" dialog (template 139): the program's icon, a one-line title
// and the version history. While it animates it shows a frozen picture of its
// own client area, its controls hidden, and a translucent cube bounces over
// that picture; a left click brings the live history list back for reading,
// and once the list has stayed unscrolled for one check interval the picture
// is taken again and the cube goes on.
//
// The picture is a 16-bit bottom-up bitmap at the screen's device pixels. It is
// taken from the rendered dialog and converted, and painted back, through the
// program's own pixel kernels; a paint converts only the part it repaints.
// When the dialog's scale factor changes (another screen), the picture, the
// texture and the cube are made again at the new size, in the same mode.
// Nothing is reported: a missing history leaves the list empty, and a picture
// that cannot be set up leaves the dialog without a cube.
#pragma once

#include <QBasicTimer>
#include <QDialog>
#include <QImage>
#include <cstdint>

#include "info/cube.h"
#include "info/pixel_surface.h"

class ListBox;

class CInfoDlg : public QDialog {
    Q_OBJECT

public:
    explicit CInfoDlg(QWidget* parent = nullptr);
    ~CInfoDlg() override;

    // Builds the dialog from its template and runs it modally over its parent
    // until Escape, the close box or a command ends it.
    int DoModal();
    // IDOK and IDCANCEL release the picture, the texture and timer 1, then
    // end the dialog.
    bool OnCommand(uint32_t wParam, intptr_t lParam);

    // What the dialog shows and holds, for tests.
    bool IsAnimating() const { return m_animating; }
    bool IsTimerActive(int id) const;
    int LastTopIndex() const { return m_lastTopIndex; }
    ListBox* List() const { return m_list; }
    const PixelSurface& Screen() const { return m_screen; }
    const PixelSurface& Background() const { return m_background; }
    const CubeAnimation& Cube() const { return m_cube; }
    const uint16_t* TextureBits() const { return m_textureBits; }
    bool HoldsPicture() const;

    // Test hooks: a shorter list check than the program's 2500 ms, a picture
    // set-up that fails, another history resource (0 restores each default).
    static void SetCheckIntervalForTests(int milliseconds);
    static void SetPictureFailureForTests(bool fail);
    static void SetHistoryResourceForTests(int id);

protected:
    bool event(QEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void timerEvent(QTimerEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void accept() override;
    void reject() override;

private:
    bool OnInitDialog();
    void DoDataExchange();
    void LoadHistory();
    void OnListSetFocus();
    void OnPaint(QPaintEvent* event);
    void OnTimer(int id);
    void OnLButtonDown();
    void ResumeAnimation();
    void CaptureTexture();
    void StartCube(int32_t w, int32_t h);
    void ShowPicture();
    void FollowScaleFactor();
    void QueueScaleCheck();
    void StepAnimation();
    static bool HideChildProc(QWidget* child, intptr_t lParam);

    // Copies the dialog as it is rendered now into the 16-bit picture.
    bool CapturePicture();
    bool CreatePicture(int32_t w, int32_t h);
    void ReleasePicture();
    void InvalidateRect(const CubeRect& deviceRect);
    void SetTimer(int id, int milliseconds);
    void KillTimer(int id);

    // The 32-bit image the window is painted from; each paint converts the
    // part it repaints from the picture.
    QImage m_memDC;
    qreal m_pictureRatio = 1;  // the device pixel ratio the picture was taken at
    bool m_scaleCheckQueued = false;
    BitmapInfoHeader m_bmih{};
    uint8_t* m_dibBits = nullptr;         // the picture, as shown on the screen
    uint8_t* m_backgroundBits = nullptr;  // the clean picture, without the cube
    PixelSurface m_background;
    PixelSurface m_screen;
    bool m_frameShown = false;
    uint16_t* m_textureBits = nullptr;  // 32 x 32 texels
    CubeAnimation m_cube;
    bool m_animating = false;
    int m_lastTopIndex = -1;
    ListBox* m_list = nullptr;

    bool m_initialized = false;
    QBasicTimer m_timers[3];  // timers 1 and 2 by their numbers
};

// The open Info dialog, null while none is open.
extern CInfoDlg* g_pInfoDlg;
