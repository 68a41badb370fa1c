#pragma once

#include <QDialog>
#include <QImage>
#include <array>

class QFrame;
class QLineEdit;
class PictureList;

namespace zelan::ui {
class ImageButton;
class ImageControl;
class UpDown;
} // namespace zelan::ui

// The print options window: the user picks a start sura and aya and an end sura and aya, and
// OK prints the translation of the ayas between them through the report's preview. The main
// window creates it, shows it modally and destroys it when it has closed.
class Ttrans_options_frm : public QDialog {
    Q_OBJECT

public:
    // Builds the window from its design and creates it (FormCreate).
    explicit Ttrans_options_frm(QWidget* owner);
    ~Ttrans_options_frm() override;

    // Handlers.
    void FormCreate();
    void FormShow();
    // Takes the window's font from strings 132 (face) and 133 (character set, a decimal
    // number) of the picture library. A character set that is not a number is a conversion
    // error (std::runtime_error) that reaches the application's error display.
    void FormActivate();
    void startSora_cbChange();
    void endSora_cbChange();
    void startSora_cbDrawItem(QPainter& painter, int index, const QRect& rect) const;
    void endSora_cbDrawItem(QPainter& painter, int index, const QRect& rect) const;
    void startAya_udClick();
    void endAya_udClick();
    // Copies the keys of the chosen ayas into transTemp_tb and previews the report. Aya text
    // that is no integer shows the conversion error and prints nothing. Table engine errors
    // pass through to the application's error display.
    void okButton_imClick();
    void cancelButton_imClick();
    void loadOptionsPictures();

    // The sura of list item `index`: 1 for item 0, 77 + index after it.
    static int soraOfItem(int index);

    QFrame* Panel1;
    zelan::ui::ImageControl* printOptionsTitle_im;
    zelan::ui::ImageControl* printOptions_im;
    PictureList* startSora_cb;
    PictureList* endSora_cb;
    QFrame* startAya_pn;
    QFrame* endAya_pn;
    zelan::ui::UpDown* startAya_ud;
    zelan::ui::UpDown* endAya_ud;
    QLineEdit* startAya_ed;
    QLineEdit* endAya_ed;
    zelan::ui::ImageControl* okButton_im;
    zelan::ui::ImageControl* cancelButton_im;

    qint32 startSora = 1;
    qint32 endSora = 1;
    std::array<QImage, 38> printSoraPictures;

protected:
    void showEvent(QShowEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void buildDesign();
    zelan::ui::ImageButton* m_okButton = nullptr;
    zelan::ui::ImageButton* m_cancelButton = nullptr;
};

// While the options window is shown, the one instance; null otherwise.
extern Ttrans_options_frm* trans_options_frm;
