#pragma once
// For the targets that play metafiles or decode pictures: Qt's fonts and images need a
// QGuiApplication (offscreen), made once for the whole run.
#include <QGuiApplication>
#include <QThreadPool>
#include <cstdlib>

inline void StartGuiApplication(int* argc, char*** argv) {
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    // Qt's warnings about hostile pictures and fonts would only slow the fuzzer down.
    qInstallMessageHandler([](QtMsgType, const QMessageLogContext&, const QString&) {});
    static QGuiApplication app(*argc, *argv);
    // Qt converts and scales large images on its global pool, whose threads end after 30 s idle
    // and start again. LeakSanitizer's mid-run leak check stops every thread, and a thread ending
    // under it crashes the sanitizer itself ("Tracer caught signal 11"): keep the threads alive.
    QThreadPool::globalInstance()->setExpiryTimeout(-1);
}
