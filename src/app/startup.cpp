#include "startup.h"

#include "application.h"
#include "designresources.h"
#include "fontsubstitutes.h"
#include "main2.h"
#include "messages.h"
#include "reciterslot.h"
#include "transdm.h"
#include "transrep.h"

#include <QApplication>
#include <QDir>
#include <QScopeGuard>

namespace zelan::app {
namespace {

// In the reverse order of creation: the report and the data module may still refer to the
// start window while they go.
void destroyProgramObjects() {
    delete trans_rep_fm;
    trans_rep_fm = nullptr;
    delete trans_dm_fm;
    trans_dm_fm = nullptr;
    delete main_frm2;
    main_frm2 = nullptr;
}

} // namespace

int runProgram(QApplication& application) {
    const auto cleanup = qScopeGuard(destroyProgramObjects);
    try {
        ui::installFontSubstitutes();
        design::initDesignResources();
        // An import of a reciter interrupted after it committed is completed before any
        // recording is opened, so no slot plays half changed.
        recitation::completeCommittedChanges(QDir::currentPath());
        main_frm2 = new Tmain_frm2();
        trans_dm_fm = new Ttrans_dm_fm();
        trans_rep_fm = new Ttrans_rep_fm();
        // A start window without its pictures has asked to end: the loop ends at once.
        if (!ui::applicationEnding())
            main_frm2->show();
        return application.exec();
    } catch (...) {
        showException(std::current_exception());
        return 1;
    }
}

} // namespace zelan::app
