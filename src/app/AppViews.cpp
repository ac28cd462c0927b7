#include "app/AppViews.h"

#include <type_traits>

#include "app/AppCommands.h"
#include "app/CMainFrame.h"
#include "data/CUserConfig.h"
#include "views/CAutoSetupView.h"
#include "views/CCorrView.h"
#include "views/CDevInfoView.h"
#include "views/CDisplayView.h"
#include "views/CErrCodesView.h"
#include "views/CFuelSensorView.h"
#include "views/CMapCreateView.h"
#include "views/CPlotView.h"
#include "views/CServiceToolsView.h"
#include "views/CSettingsView.h"

namespace {

// Every view retitles the frame through its titleChanged signal.
template <class TView>
void addView(CMainFrame& frame, int command)
{
    frame.registerView(command, [&frame](CAutrelDoc& doc, QWidget* parent) {
        TView* view = nullptr;
        // The device information view keeps the workshop's name in the
        // shared configuration.
        if constexpr (std::is_constructible_v<TView, CAutrelDoc&, CUserConfig&, QWidget*>)
            view = new TView(doc, frame.userConfig(), parent);
        else
            view = new TView(doc, parent);
        QObject::connect(view, &TView::titleChanged, &frame, &CMainFrame::setDocumentTitle);
        // A view that asks for another one is deleted by the switch: the
        // request waits until its own handler has returned.
        if constexpr (requires { &TView::commandRequested; })
            QObject::connect(
                view, &TView::commandRequested, &frame,
                [&frame](int command) { frame.runCommand(command); }, Qt::QueuedConnection);
        return view;
    });
}

} // namespace

void registerViews(CMainFrame& frame)
{
    // Commands without a view of their own show a placeholder with their title.
    addView<CSettingsView>(frame, ID_VIEW_SETTINGS);
    addView<CDisplayView>(frame, ID_VIEW_DISPLAY);
    addView<CAutoSetupView>(frame, ID_VIEW_AUTOSETUP);
    addView<CMapCreateView>(frame, ID_VIEW_MAPCREATE);
    addView<CCorrView>(frame, ID_VIEW_CORR);
    addView<CFuelSensorView>(frame, ID_VIEW_FUELSENSOR);
    addView<CErrCodesView>(frame, ID_VIEW_ERRCODES);
    addView<CServiceToolsView>(frame, ID_VIEW_SERVICETOOLS);
    addView<CDevInfoView>(frame, ID_VIEW_DEVINFO);
    addView<CPlotView>(frame, ID_VIEW_PLOT);
}
