#pragma once

#include <QDialog>

// The main reading window.
class Truvo_frm : public QDialog {
    Q_OBJECT

public:
    explicit Truvo_frm(QWidget* owner);
    ~Truvo_frm() override;
};

// The main reading window while it exists; null otherwise.
extern Truvo_frm* ruvo_frm;
