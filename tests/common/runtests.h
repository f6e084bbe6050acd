// Runs several Qt Test classes in one executable; the result counts the failed ones.
#pragma once

#include <QObject>
#include <QTest>

#include <initializer_list>
#include <memory>

namespace tarvik {

using MakeTest = QObject* (*)();

inline int RunTests(std::initializer_list<MakeTest> tests, int argc, char** argv) {
    int failures = 0;
    for (MakeTest make : tests) {
        std::unique_ptr<QObject> test(make());
        failures += QTest::qExec(test.get(), argc, argv);
    }
    return failures;
}

} // namespace tarvik
