#pragma once

#include <QString>
#include <functional>

// How a guarded procedure runs: statement by statement, each failure told with its statement's
// step, the procedure resuming after it. How the failure is told is the caller's: the window
// shows it as an error report, a conversion run emits it.
namespace errorreport {

// How a guarded procedure tells of a failure: the statement's step and the failure's words.
using Report = std::function<void(int step, const QString& description)>;

// Runs one guarded procedure. Each call is one statement carrying its step number: a failure
// inside it is reported and the procedure goes on with its next statement.
//
//     errorreport::Guarded g(report);
//     g.run(100, [&] { ApplySkin(); });
//     if (g.holdsOrFails(146, [&] { return Option1->isChecked(); })) ...
class Guarded {
public:
    explicit Guarded(Report report);

    // Runs the statement; returns false when it failed (and was reported).
    bool run(int step, const std::function<void()>& statement);

    // Evaluates a condition: true when it holds, and also when evaluating it failed (the
    // failure is reported), so the procedure continues with the branch that the condition would
    // have taken when it held.
    bool holdsOrFails(int step, const std::function<bool()>& condition);

    // The description of the last failure this procedure reported.
    const QString& lastDescription() const { return last; }

private:
    Report report;
    QString last;
};

} // namespace errorreport
