#include "app/AppViews.h"

#include "app/AppCommands.h"
#include "app/CMainFrame.h"
#include "views/CDisplayView.h"
#include "views/CFuelSensorView.h"
#include "views/CServiceToolsView.h"

void registerViews(CMainFrame& frame)
{
    // Commands without a view of their own show a placeholder with their title.
    frame.registerView(ID_VIEW_DISPLAY, [&frame](CAutrelDoc& doc, QWidget* parent) {
        auto* view = new CDisplayView(doc, parent);
        QObject::connect(view, &CDisplayView::titleChanged, &frame, &CMainFrame::setDocumentTitle);
        return view;
    });
    frame.registerView(ID_VIEW_FUELSENSOR, [&frame](CAutrelDoc& doc, QWidget* parent) {
        auto* view = new CFuelSensorView(doc, parent);
        QObject::connect(view, &CFuelSensorView::titleChanged, &frame,
                         &CMainFrame::setDocumentTitle);
        return view;
    });
    frame.registerView(ID_VIEW_SERVICETOOLS, [&frame](CAutrelDoc& doc, QWidget* parent) {
        auto* view = new CServiceToolsView(doc, parent);
        QObject::connect(view, &CServiceToolsView::titleChanged, &frame,
                         &CMainFrame::setDocumentTitle);
        return view;
    });
}
