#pragma once

#include "picturelibrary.h"

#include <QDialog>

class QLabel;
class QPushButton;

// The location message: one line of text from the picture library's string table (the chosen
// sura lies outside this portion) and an OK button, in the library's language and font.
class Tmessage_loc_frm : public QDialog {
    Q_OBJECT

public:
    // Throws std::runtime_error when string 133 or 134 is missing or no number.
    Tmessage_loc_frm(QWidget* owner, const zelan::ui::PictureLibrary& library);

    void applyMessageTexts();
    void ok_btClick();

    QLabel* information_lb;
    QLabel* Label1;
    QPushButton* ok_bt;

private:
    zelan::ui::PictureLibrary m_library;
};

// While the message is shown, the one instance; null otherwise.
extern Tmessage_loc_frm* message_loc_frm;

// Shows the location message modally over `owner` and destroys it when it has closed.
void showLocationMessage(QWidget* owner, const zelan::ui::PictureLibrary& library);
