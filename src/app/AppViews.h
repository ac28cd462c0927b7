// Gives the main frame the views it shows for its view commands.
#pragma once

class CMainFrame;

void registerViews(CMainFrame& frame);
