#include "app/widgets/widget_resources.h"

#include <QtGlobal>

// Q_INIT_RESOURCE must be used outside any namespace.
static void InitWidgetResources() {
    Q_INIT_RESOURCE(widgets);
}

namespace miyoutong {

void EnsureWidgetResources() {
    static const bool initialised = (InitWidgetResources(), true);
    (void)initialised;
}

}  // namespace miyoutong
