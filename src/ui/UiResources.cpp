#include "UiResources.h"

#include <QtGlobal>

// Q_INIT_RESOURCE has to be used outside any namespace.
static int registerCommonResources()
{
    Q_INIT_RESOURCE(resources);
    return 0;
}

void ensureUiResources()
{
    static const int registered = registerCommonResources();
    Q_UNUSED(registered);
}
