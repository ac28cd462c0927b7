// Painted gauges read to assistive technology as a value within a range, the
// way the toolkit's own dials and sliders do, so a screen reader says
// "LPG temp. [°C], 50" and can follow the value as it changes. A gauge opts
// in by declaring the Qt properties `reading`, and optionally
// `readingMinimum` and `readingMaximum`, and calling this once.
// Thread safety: the user-interface thread only.
#pragma once

#include <QAccessible>

class QObject;

// Reads objects of the class named (and of its subclasses) with the role given.
void installReadingAccessible(const char* className, QAccessible::Role role);
// Tells assistive technology that the object's reading changed.
void announceReading(QObject* object);
