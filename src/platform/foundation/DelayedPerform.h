#pragma once

#include <QByteArray>
#include <QVariant>

#include <functional>

class QObject;

// Delayed calls keyed by target, selector and argument, for the
// "cancel, then schedule again" idiom that collapses repeated requests:
//
//   DelayedPerform::cancel(this, "applySyntaxColor", {});
//   DelayedPerform::perform(this, "applySyntaxColor", {}, 0.6, [this] { ... });
//
// A pending call belongs to its target and dies with it.
namespace DelayedPerform {

void perform(QObject *target, const QByteArray &selector, const QVariant &argument,
             double delaySeconds, std::function<void()> call);

// Cancels the pending calls of the target with that selector and an equal argument.
void cancel(QObject *target, const QByteArray &selector, const QVariant &argument);

// Cancels every pending call of the target.
void cancelAll(QObject *target);

bool isPending(const QObject *target, const QByteArray &selector);

// Whether the object is the timer of a pending call, for code that must hold
// those calls back for a while (a blocking wait on the page).
bool isPendingCallTimer(const QObject *object);

// Runs the call once the current turn of the event loop has finished its work,
// before the loop waits for new events.
void atEndOfTurn(QObject *context, std::function<void()> call);

} // namespace DelayedPerform
