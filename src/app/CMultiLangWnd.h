// The text table of a view or dialog applied to its Qt widgets: each control
// carries its identifier as objectName, and apply() gives it the table's
// text of the current language.
// Thread safety: the user-interface thread only.
#pragma once

#include "lang/CMultiLangRes.h"

class QWidget;

class CMultiLangWnd : public CMultiLangRes {
public:
    // For every key in ascending order, the window's control named by it gets
    // text(key): labels and buttons their text, group boxes their title, line
    // edits their placeholder (their content is the user's), any other widget
    // its "text" property when it has one. A control found more than once
    // keeps the first match, direct children before nested ones. Keys without
    // a control are skipped; a missing text throws CLangError as text() does.
    virtual void apply(QWidget* window);
};

// Delivers QEvent::LanguageChange to every top-level window, after the
// current language was set, so that open windows retitle themselves.
void announceLanguageChange();
