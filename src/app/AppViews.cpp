#include "app/AppViews.h"

#include "app/AppCommands.h"
#include "app/CMainFrame.h"
#include "views/CAutoSetupView.h"
#include "views/CDisplayView.h"

void registerViews(CMainFrame& frame)
{
    // Commands without a view of their own show a placeholder with their title.
    frame.registerView(ID_VIEW_DISPLAY, [&frame](CAutrelDoc& doc, QWidget* parent) {
        auto* view = new CDisplayView(doc, parent);
        QObject::connect(view, &CDisplayView::titleChanged, &frame, &CMainFrame::setDocumentTitle);
        return view;
    });
    frame.registerView(ID_VIEW_AUTOSETUP, [&frame](CAutrelDoc& doc, QWidget* parent) {
        auto* view = new CAutoSetupView(doc, parent);
        QObject::connect(view, &CAutoSetupView::titleChanged, &frame,
                         &CMainFrame::setDocumentTitle);
        return view;
    });
}
