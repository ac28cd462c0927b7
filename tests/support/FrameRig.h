// The desktop application's main frame for tests on the offscreen platform:
// the shell's boxes and questions answered by the test, the port list holding
// only the test's paths, and the event loop run until something holds.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "app/CAutrelDoc.h"
#include "app/CMainFrame.h"
#include "app/CQtShell.h"
#include "link/CPortList.h"
#include "support/Eventually.h"

// The port list holds only the test's paths: no real serial port is probed.
class CPortScope {
public:
    explicit CPortScope(std::vector<std::string> paths) : m_saved(CPortList::userPaths())
    {
        CPortList::setSystemScan(false);
        CPortList::setUserPaths(std::move(paths));
    }
    ~CPortScope()
    {
        CPortList::setUserPaths(m_saved);
        CPortList::setSystemScan(true);
    }
    CPortScope(const CPortScope&) = delete;
    CPortScope& operator=(const CPortScope&) = delete;

private:
    std::vector<std::string> m_saved;
};

// Error boxes are collected, the demonstration question and every other
// question answered as the test sets, and the shell's pauses cost nothing.
struct SFrameRig {
    SFrameRig()
    {
        shell.m_fastSleep = true;
        shell.onErrorBox = [this](const std::string& t) { errors.push_back(t); };
        shell.onAskDemoMode = [this] {
            ++demoQuestions;
            return answerDemo;
        };
        shell.onAsk = [this](const std::string& q) {
            questions.push_back(q);
            return answer;
        };
    }
    CQtShell shell;
    CAutrelDoc doc{shell};
    CMainFrame frame{doc, shell};
    std::vector<std::string> errors;
    std::vector<std::string> questions;
    int demoQuestions = 0;
    bool answerDemo = false;
    bool answer = false;
};
