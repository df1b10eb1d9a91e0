// SPDX-License-Identifier: GPL-3.0-or-later
// GoogleTest main for widget tests: one QApplication on the offscreen platform for the whole run.
#include <QApplication>
#include <cstdlib>
#include <gtest/gtest.h>

#if defined(__SANITIZE_THREAD__)
#include <dlfcn.h>
#include <sanitizer/tsan_interface.h>

// Qt is not built with ThreadSanitizer, so the lock of the event queue that orders a poster and
// the receiving thread is out of its sight. The two ways our threads hand work to a Qt thread
// (posting an event, queueing a call) release a mark before Qt takes over, and every event is
// delivered after acquiring it: the order the queue's lock gives, told to the sanitizer.
namespace {

char gQueueMark;

template <typename Function> Function RealQtFunction(const char* mangledName) {
    return reinterpret_cast<Function>(dlsym(RTLD_NEXT, mangledName));
}

} // namespace

void QCoreApplication::postEvent(QObject* receiver, QEvent* event, int priority) {
    using Real = void (*)(QObject*, QEvent*, int);
    static const Real real =
        RealQtFunction<Real>("_ZN16QCoreApplication9postEventEP7QObjectP6QEventi");
    __tsan_release(&gQueueMark);
    real(receiver, event, priority);
}

bool QMetaObject::invokeMethodImpl(QObject* object, QtPrivate::QSlotObjectBase* slot,
                                   Qt::ConnectionType type, void* ret) {
    using Real = bool (*)(QObject*, QtPrivate::QSlotObjectBase*, Qt::ConnectionType, void*);
    static const Real real = RealQtFunction<Real>(
        "_ZN11QMetaObject16invokeMethodImplEP7QObjectPN9QtPrivate15QSlotObjectBaseEN2Qt"
        "14ConnectionTypeEPv");
    __tsan_release(&gQueueMark);
    const bool done = real(object, slot, type, ret);
    __tsan_acquire(&gQueueMark); // a blocking call returns what the receiver wrote
    return done;
}

class TestApplication : public QApplication {
public:
    using QApplication::QApplication;
    bool notify(QObject* receiver, QEvent* event) override {
        __tsan_acquire(&gQueueMark);
        const bool handled = QApplication::notify(receiver, event);
        __tsan_release(&gQueueMark);
        return handled;
    }
};
#else
using TestApplication = QApplication;
#endif

int main(int argc, char** argv) {
    if (std::getenv("QT_QPA_PLATFORM") == nullptr) {
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
    }
    testing::InitGoogleTest(&argc, argv);
    TestApplication app(argc, argv);
    return RUN_ALL_TESTS();
}
