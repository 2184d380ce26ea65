// The four sliders: model value to thumb position, and a moved thumb back
// into the model followed by a recalculation.
#include <QLineEdit>
#include <QSignalBlocker>
#include <QSlider>

#include "core/slider_scale.h"
#include "mainwnd/rate_dlg.h"

// A position set by the program reports nothing, not even while the user
// holds the thumb.
static void SetSliderPosition(QSlider* slider, int position) {
    const QSignalBlocker blocker(slider);
    slider->setValue(position);
}

void CRateDlg::UpdateSlider(int which) {
    switch (which) {
        case Time:
            SetSliderPosition(m_sliderTime, TimeSliderPosition(m_model.totalSeconds));
            break;
        case Audio:
            SetSliderPosition(m_sliderAudio, AudioSliderPosition(m_model.audioRate));
            break;
        case Video:
            SetSliderPosition(m_sliderVideo, VideoSliderPosition(m_model.videoRate));
            break;
        case Size:
            SetSliderPosition(m_sliderSize,
                              SizeSliderPosition(m_model.sizeBytes, m_model.headerBytes));
            break;
        default:
            break;
    }
}

// Acts on a dragged thumb (kThumbTrack) and on the end of a keyboard, page
// or wheel move (kEndTrack); the position is read from the slider itself.
void CRateDlg::OnHScroll(int code, QSlider* bar) {
    if (code != kThumbTrack && code != kEndTrack) return;
    const int position = bar->sliderPosition();
    if (bar == m_sliderTime) {
        m_model.SetDuration(position);
        ShowTime();
        Recalculate(Time, -1, false);
    } else if (bar == m_sliderAudio) {
        m_model.audioRate = AudioRateAtPosition(position);
        ShowNumber(m_editAudio, m_model.audioRate, nullptr, false);
        Recalculate(Audio, -1, false);
    } else if (bar == m_sliderVideo) {
        m_model.videoRate = position;
        ShowNumber(m_editVideo, m_model.videoRate, nullptr, false);
        Recalculate(Video, -1, false);
    } else if (bar == m_sliderSize) {
        m_model.SetSize(SizeBytesAtPosition(position));
        ShowNumber(m_editSize, GetAmount(3), nullptr, false);
        Recalculate(Size, -1, false);
    }
}
