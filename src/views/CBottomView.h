// Stand-in for the status bar until it lands: keeps the frame's calls whole.
#pragma once

#include <QWidget>

class CAutrelDoc;

class CBottomView : public QWidget {
    Q_OBJECT
public:
    CBottomView(CAutrelDoc& doc, QWidget* parent = nullptr) : QWidget(parent), m_doc(doc) {}
    void updateLiveValues() {}
    void setConnectionState(bool) {}
    void setErrorIndicator(bool) {}
    void resetValues() {}

private:
    CAutrelDoc& m_doc;
};
