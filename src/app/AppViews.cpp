#include "app/AppViews.h"

#include "app/AppCommands.h"
#include "app/CMainFrame.h"
#include "views/CCorrView.h"
#include "views/CDisplayView.h"

void registerViews(CMainFrame& frame)
{
    // Commands without a view of their own show a placeholder with their title.
    frame.registerView(ID_VIEW_DISPLAY, [&frame](CAutrelDoc& doc, QWidget* parent) {
        auto* view = new CDisplayView(doc, parent);
        QObject::connect(view, &CDisplayView::titleChanged, &frame, &CMainFrame::setDocumentTitle);
        return view;
    });
    frame.registerView(ID_VIEW_CORR, [&frame](CAutrelDoc& doc, QWidget* parent) {
        auto* view = new CCorrView(doc, parent);
        QObject::connect(view, &CCorrView::titleChanged, &frame, &CMainFrame::setDocumentTitle);
        return view;
    });
}
