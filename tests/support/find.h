// Finds a part of a window by its object name, as a user-facing test should,
// rather than through the window's members.
#pragma once

#include <gtest/gtest.h>

#include <QObject>
#include <QString>

namespace korvane::test {

template <class T>
T* Find(const QObject& root, const char* name) {
    T* found = root.findChild<T*>(QLatin1String(name));
    if (!found) ADD_FAILURE() << "no part named " << name;
    return found;
}

}  // namespace korvane::test
