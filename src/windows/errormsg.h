#pragma once

#include "picturelibrary.h"

#include <QDialog>

class QTimer;

namespace zelan::ui {
class ImageButton;
class ImageControl;
} // namespace zelan::ui

// The error popup: a borderless picture that fades in, tells the user that the number typed
// is not acceptable, and fades out and closes when its cancel button is clicked.
class TerrorMsg_frm : public QDialog {
    Q_OBJECT

public:
    TerrorMsg_frm(QWidget* owner, const zelan::ui::PictureLibrary& library);

    // The window's opacity, 0 (invisible) to 255 (opaque).
    int opacity() const { return m_opacity; }

    // Handlers, public so that tests can drive the fades tick by tick.
    void Timer1Timer();
    void Timer2Timer();
    void cancelButton_imClick();

    zelan::ui::ImageControl* errorMsg_im;
    zelan::ui::ImageControl* cancelButton_im;
    QTimer* Timer1; // fade-in
    QTimer* Timer2; // fade-out

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void setOpacity(int opacity);

    zelan::ui::PictureLibrary m_library;
    zelan::ui::ImageButton* m_cancelButton;
    int m_opacity = 25;
};

// While the popup is shown, the one instance; null otherwise.
extern TerrorMsg_frm* errorMsg_frm;

// Shows the error popup modally over `owner` and destroys it when it has closed.
void showErrorPopup(QWidget* owner, const zelan::ui::PictureLibrary& library);
