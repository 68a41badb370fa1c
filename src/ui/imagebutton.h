#pragma once

#include "picturelibrary.h"

#include <QObject>

#include <functional>

namespace zelan::ui {

class ImageControl;

// The picture behaviour of one image button: its normal, hover and pressed pictures, the hand
// cursor while the pointer is over it, an optional hover caption, and for the player buttons
// an "active" picture that stays while the recitation is in the button's state.
//
// It watches the control's enter and leave notices through an event filter that acts and then
// lets the control handle the event as before, and follows the control's press and release
// signals, so that for a left click the pictures change in this order: pressed picture, the
// click action (connected to ImageControl::clicked by the window), release picture. The
// release picture thus reflects the state that the click action has just set.
class ImageButton : public QObject {
    Q_OBJECT

public:
    struct Pictures {
        int normal = 0;
        int hover = 0;
        int pressed = 0;
    };

    // `library` is the window's library handle, read at each change, so a library loaded after
    // the button was set up is used. The button belongs to `control`.
    ImageButton(ImageControl* control, const PictureLibrary* library, Pictures pictures);

    // A caption shown while the pointer is over the button: `show` shows the caption of the
    // interface language, `hideAll` hides every caption of the window (leaving any captioned
    // button hides them all).
    void setCaption(std::function<void()> show, std::function<void()> hideAll);

    // The active picture of a player button. While `whileHovering` holds, entering or leaving
    // shows `picture` instead of the hover or normal one; after a release the button shows
    // `picture` when `afterRelease` holds and its normal picture otherwise.
    void setActive(int picture, std::function<bool()> whileHovering, std::function<bool()> afterRelease);

    ImageControl* control() const { return m_control; }
    Pictures pictures() const { return m_pictures; }
    // Shows picture `id` now (the player picture sets of the window use this).
    void show(int id);
    // The id of the picture the button shows now (0 while it shows its designed picture).
    int shownId() const { return m_shown; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void pressed();
    void released();
    int restingPicture(bool hovering) const;

    ImageControl* m_control;
    const PictureLibrary* m_library;
    Pictures m_pictures;
    std::function<void()> m_showCaption;
    std::function<void()> m_hideCaptions;
    int m_active = 0;
    int m_shown = 0;
    std::function<bool()> m_activeWhileHovering;
    std::function<bool()> m_activeAfterRelease;
};

} // namespace zelan::ui
