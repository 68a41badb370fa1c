#pragma once

#include <QObject>

// The report that prints the translation of a run of ayas. Created at program start and kept
// until the program ends; its bands are laid out by the printing of the translation.
class Ttrans_rep_fm : public QObject {
    Q_OBJECT

public:
    explicit Ttrans_rep_fm(QObject* owner = nullptr);
    ~Ttrans_rep_fm() override;
};

// The translation report, created at program start; null before and after.
extern Ttrans_rep_fm* trans_rep_fm;
