// The error report of trapped handlers: show the error with its location and line
// label, then go on with the next statement. A failing test goes into what it guards.
#pragma once

#include "platform/AppError.h"

#include <QString>
#include <exception>
#include <utility>

inline constexpr char SupportAddress[] = "support@vandrell.example";

// Where a trapped handler stands, as its reports name it: "Form1.PushButton2_Click".
inline QString errorLocation(const char *handler)
{
    return QStringLiteral("in Tessiva2021/08/31.") + QLatin1String(handler) + QLatin1Char(' ');
}

class ErrorReporter
{
public:
    virtual ~ErrorReporter() = default;
    // Shows the text in a box captioned "Application Error" with an exclamation icon.
    virtual void showErrorReport(const QString &text) = 0;
    // An error a trapped handler stepped over at line `label` of `location`; the
    // window shows it as its report, a terminal in its own words.
    virtual void reportError(const QString &description, const QString &location, int label);
};

class ErrorTrap
{
public:
    ErrorTrap(ErrorReporter &reporter, QString location)
        : m_reporter(reporter), m_location(std::move(location))
    {
    }

    template <class Step> void run(int label, Step &&step)
    {
        try {
            step();
        } catch (const AppError &error) {
            report(error.description(), label);
        } catch (const std::exception &error) {
            report(QString::fromLocal8Bit(error.what()), label);
        }
    }

    // True when the condition holds, and also when asking it raised an error (which
    // is reported): the statements it guards then still run.
    template <class Condition> bool holdsOrErred(int label, Condition &&condition)
    {
        try {
            return condition();
        } catch (const AppError &error) {
            report(error.description(), label);
        } catch (const std::exception &error) {
            report(QString::fromLocal8Bit(error.what()), label);
        }
        return true;
    }

    static QString reportText(const QString &description, const QString &location, int label);

private:
    void report(const QString &description, int label)
    {
        m_reporter.reportError(description, m_location, label);
    }

    ErrorReporter &m_reporter;
    QString m_location;
};
