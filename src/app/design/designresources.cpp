#include "designresources.h"

#include <QtGlobal>

// Q_INIT_RESOURCE has to be used outside any namespace.
static void registerDesign() {
    Q_INIT_RESOURCE(design);
}

namespace zelan::design {

void initDesignResources() {
    static const bool registered = (registerDesign(), true);
    Q_UNUSED(registered);
}

} // namespace zelan::design
