#include "resources/Resources.h"

#include <QtGlobal>

// Q_INIT_RESOURCE must be used outside any namespace; the name is the .qrc base name.
static void InitResourcesOnce() {
    Q_INIT_RESOURCE(boardwick_artwork);
}

void InitBoardwickResources() {
    static const bool done = (InitResourcesOnce(), true);
    (void)done;
}
