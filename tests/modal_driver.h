// Driving modal dialogs from a test as a user would: a step runs once the next modal window
// is open, inside its own modal loop, and types into whatever has the keyboard focus.
#pragma once

#include "hang_guard.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QTest>
#include <QTimer>
#include <QWidget>

#include <gtest/gtest.h>

#include <functional>
#include <memory>

// The steps waiting for their modal window.
inline QObject& PendingSteps()
{
    static QObject steps;
    return steps;
}

// Runs `step` with the next modal window to open, once it is the active window. Fails the test
// if none opens before the hang guard runs out. So that no test hangs, a window still open when
// the guard has run out once more after its step is closed, and so is every one left open by a
// step that failed fatally.
inline void WhenModalOpens(std::function<void(QWidget*)> step)
{
    QWidget* const open = QApplication::activeModalWidget();
    auto* poll = new QTimer(&PendingSteps());
    auto waited = std::make_shared<QElapsedTimer>();
    waited->start();
    QObject::connect(poll, &QTimer::timeout, [poll, waited, open, step] {
        QWidget* modal = QApplication::activeModalWidget();
        const bool opened = modal != nullptr && modal != open && modal->isActiveWindow();
        if (!opened && waited->elapsed() < kHangGuardMs) {
            return;
        }
        poll->stop();
        poll->deleteLater();
        if (!opened) {
            ADD_FAILURE() << "no modal window opened";
            return;
        }
        QTimer::singleShot(kHangGuardMs, modal, [modal] {
            ADD_FAILURE() << "a modal window was left open";
            modal->close();
        });
        step(modal);
        if (testing::Test::HasFatalFailure()) {
            for (int n = 0; n < 10 && QApplication::activeModalWidget() != nullptr; ++n) {
                QApplication::activeModalWidget()->close();
                QApplication::processEvents();
            }
        }
    });
    poll->start(5);
}

// Drops the steps whose window never opened, so that none of them runs in a later test.
inline void DropPendingSteps()
{
    for (QTimer* poll : PendingSteps().findChildren<QTimer*>()) {
        if (poll->isActive()) {
            ADD_FAILURE() << "a step's modal window never opened";
        }
        delete poll;
    }
}

// A key pressed and released at the widget that has the keyboard focus.
inline void PressKey(Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
{
    QWidget* focus = QApplication::focusWidget();
    ASSERT_NE(focus, nullptr);
    QTest::keyClick(focus, key, modifiers);
}

// Text typed, character by character, at the widget that has the keyboard focus.
inline void TypeText(const QString& text)
{
    for (const QChar c : text) {
        QWidget* focus = QApplication::focusWidget();
        ASSERT_NE(focus, nullptr);
        QTest::sendKeyEvent(QTest::Click, focus, Qt::Key_unknown, QString(c), Qt::NoModifier);
    }
}
