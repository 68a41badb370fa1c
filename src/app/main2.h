#pragma once

#include "picturelibrary.h"

#include <QLocale>
#include <QRect>
#include <QWidget>

class QFrame;
class QKeyEvent;
class QTimer;

namespace zelan::ui {
class ImageButton;
class ImageControl;
} // namespace zelan::ui

// The start window: a borderless picture that slides in from the right edge of the screen
// while it fades in, then slowly fades out. Its buttons choose the interface language and open
// the main reading window modally over it; left alone, it opens the Arabic main window once it
// has faded out completely. Its close picture ends the program.
//
// The handlers are public so that the timers can be driven tick by tick.
class Tmain_frm2 : public QWidget {
    Q_OBJECT

public:
    // What the window takes from the system: the available area of the screen it slides across
    // and the user's locale, which picks the first language.
    struct Environment {
        QRect screen;
        QLocale userLocale;
    };
    // The primary screen's available area (1024 x 768 when there is no screen) and
    // QLocale::system().
    static Environment systemEnvironment();

    explicit Tmain_frm2(const Environment& environment = systemEnvironment());
    ~Tmain_frm2() override;

    QFrame* Panel1;
    zelan::ui::ImageControl* main_im;
    zelan::ui::ImageControl* arabic_im;
    zelan::ui::ImageControl* russian_im;
    zelan::ui::ImageControl* swapLang_im;
    zelan::ui::ImageControl* close_im;
    QTimer* moveHor_tm;
    QTimer* fading_tm;

    // The hover and press pictures of the three language buttons.
    zelan::ui::ImageButton* arabicButton;
    zelan::ui::ImageButton* russianButton;
    zelan::ui::ImageButton* swapLangButton;

    // Pixels the window moves left per slide tick.
    double slideStep = 0;

    // The window's opacity, 0 (invisible) to 255 (opaque).
    int opacity() const { return m_opacity; }
    void setOpacity(int value);

    // The left edge that centres the window on the screen.
    int centredLeft() const;

    // Chooses the first language from the user's locale (Russian locales start in Russian,
    // every other one in Arabic) and loads its pictures. A missing picture library shows its
    // message and ends the program (see loadPictureLibrary).
    void FormCreate();
    // Shows the start window's pictures from startPictureLibrary.
    void loadStartPictures();
    // Loads the picture library of languageCode into startPictureLibrary and shows its
    // pictures; on failure the message is shown, the program ends and the pictures stay.
    void reloadStartLanguage();

    void moveHor_tmTimer();
    void fading_tmTimer();
    void arabic_imClick();
    void russian_imClick();
    void swapLang_imClick();
    void close_imClick();
    // Escape puts the window at the horizontal centre; other keys do nothing.
    void FormKeyPress(int key);

    // Opens the main reading window modally in languageCode, then destroys it.
    void openMainWindow();

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    void setLeft(int left);
    void stopTimers();

    QRect m_screen;
    QLocale m_userLocale;
    int m_opacity = 0;
};

// The start window, created at program start; it is the program's main window.
extern Tmain_frm2* main_frm2;

// The picture library the start window takes its own pictures from.
extern zelan::ui::PictureLibrary startPictureLibrary;
