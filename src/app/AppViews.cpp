#include "app/AppViews.h"

#include "app/AppCommands.h"
#include "app/CMainFrame.h"
#include "views/CDevInfoView.h"
#include "views/CDisplayView.h"
#include "views/CErrCodesView.h"

void registerViews(CMainFrame& frame)
{
    // Commands without a view of their own show a placeholder with their title.
    frame.registerView(ID_VIEW_DISPLAY, [&frame](CAutrelDoc& doc, QWidget* parent) {
        auto* view = new CDisplayView(doc, parent);
        QObject::connect(view, &CDisplayView::titleChanged, &frame, &CMainFrame::setDocumentTitle);
        return view;
    });
    frame.registerView(ID_VIEW_DEVINFO, [&frame](CAutrelDoc& doc, QWidget* parent) {
        auto* view = new CDevInfoView(doc, frame.userConfig(), parent);
        QObject::connect(view, &CDevInfoView::titleChanged, &frame, &CMainFrame::setDocumentTitle);
        return view;
    });
    frame.registerView(ID_VIEW_ERRCODES, [&frame](CAutrelDoc& doc, QWidget* parent) {
        auto* view = new CErrCodesView(doc, parent);
        QObject::connect(view, &CErrCodesView::titleChanged, &frame, &CMainFrame::setDocumentTitle);
        return view;
    });
}
