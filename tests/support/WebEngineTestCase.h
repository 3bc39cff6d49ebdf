#pragma once

#include <QCoreApplication>
#include <QObject>

// Base of the test classes that start Chromium. Qt WebEngine wants OpenGL contexts
// shared before the application object exists; QTEST_MAIN calls initMain() first.
class WebEngineTestCase : public QObject {
public:
    static void initMain() { QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts); }
};
