#include "app/AppViews.h"

#include "app/CMainFrame.h"

void registerViews(CMainFrame&)
{
    // Commands without a view of their own show a placeholder with their title.
}
