#pragma once

#include <QByteArray>
#include <QGuiApplication>
#include <cstdint>
#include <cstdlib>

// Documents need a GUI application (fonts, layouts); the offscreen platform
// gives one without a display.
inline void EnsureGuiApplication()
{
    static int argc = 1;
    static char arg0[] = "fuzz";
    static char *argv[] = {arg0, nullptr};
    static QGuiApplication *app = nullptr;
    if (!app) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
        app = new QGuiApplication(argc, argv);
    }
}

inline QByteArray Bytes(const uint8_t *data, size_t size)
{
    return QByteArray(reinterpret_cast<const char *>(data), qsizetype(size));
}

// A property the target checks; a violation is a finding like a crash.
#define FUZZ_CHECK(cond)                                                                       \
    do {                                                                                       \
        if (!(cond)) {                                                                         \
            fprintf(stderr, "property violated: %s (%s:%d)\n", #cond, __FILE__, __LINE__);    \
            abort();                                                                           \
        }                                                                                      \
    } while (0)
