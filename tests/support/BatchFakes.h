// A window and a converter runner for driving the conversion batch without widgets
// or real children.
#pragma once

#include "TestSupport.h"
#include "app/BatchDisplay.h"
#include "app/WaitingDisplay.h"
#include "convert/ConversionBatch.h"
#include "core/RowSource.h"

#include <QCoreApplication>
#include <QFile>
#include <QImage>
#include <QTimer>
#include <functional>

class FakeWindow final : public BatchView, public RowSource
{
public:
    QStringList rows;
    int selectedSize = 4;        // 0: none, 1..7
    int selectedDestination = 8; // 0: none, 8 or 9
    QString folder;
    QString sizeText = QStringLiteral("32");
    IcoFile::Packing packing = IcoFile::Packing::Standard;
    QStringList messages;
    QStringList details; // of each message
    QStringList texts;
    QList<double> values;
    QList<int> pointers;
    QString text = QStringLiteral("Progress Bar");
    QStringList statuses; // for the title, in order
    int value = 0;
    int jobs = oneJobPerCore();

    int numberOfRows() const override { return int(rows.size()); }
    QString rowText(int row) const override { return rows.at(row - 1); }
    // What the window's options ask for, as the window builds it.
    BatchRequest request() const
    {
        BatchRequest request;
        request.sources = this;
        request.size = IconSize::forOption(selectedSize, sizeText);
        request.packing = packing;
        request.jobs = jobs;
        request.destination = [this] {
            Destination destination;
            destination.folder = folder;
            if (selectedDestination == 8)
                destination.rule = Destination::Rule::Folder;
            else if (selectedDestination == 9)
                destination.rule = Destination::Rule::BesideSource;
            return destination;
        };
        return request;
    }
    void setPointer(int code) override { pointers << code; }
    QList<FolderOffer> offers; // of each message
    void showMessage(const QString &m, const QString &d = {}, const FolderOffer &o = {}) override
    {
        messages << m;
        details << d;
        offers << o;
    }
    void letEventsRun() override { QCoreApplication::processEvents(); }
    QString progressText() const override { return text; }
    void setProgressText(const QString &t) override
    {
        text = t;
        texts << t;
    }
    int progressValue() const override { return value; }
    void setProgressValue(double v) override
    {
        values << v;
        value = qBound(0, roundHalfEven(v), 100);
    }
    void setBatchStatus(const QString &status) override { statuses << status; }
};

// A batch driven by a fake window, as the main window drives one.
class FakeBatch
{
public:
    FakeBatch(FakeWindow &window, ErrorReporter &reporter,
              std::unique_ptr<ConverterRunner> runner = nullptr, TimeLimit limit = {})
        : m_window(window), m_display(window),
          m_batch(m_display, reporter, errorLocation("Form1.PushButton2_Click"), std::move(runner),
                  std::move(limit))
    {
    }
    void PushButton2_Click() { m_batch.run(m_window.request()); }
    bool isConverting() const { return m_batch.isConverting(); }
    void stop() { m_batch.stop(); }
    void abortForShutDown() { m_batch.abortForShutDown(); }

private:
    FakeWindow &m_window;
    BatchDisplay m_display;
    ConversionBatch m_batch;
};

// Children that do what `act` says after `delayMs`, in the work folder they were given.
class FakeRunner final : public ConverterRunner
{
public:
    struct Start
    {
        int job = 0;
        QString program;
        QStringList arguments;
        QString folder;
        // The picture, the first name after its reader ("png:in-1[0]").
        QString input() const
        {
            for (const QString &argument : arguments) {
                if (const qsizetype colon = argument.indexOf(QLatin1String(":in-")); colon > 0)
                    return folder + '/' + argument.mid(colon + 1).section('[', 0, 0);
            }
            return {};
        }
        QString output() const { return folder + '/' + arguments.last(); }
    };
    QList<Start> starts;
    std::function<ChildEnd(const Start &)> act = [](const Start &start) {
        return WriteIcon(start.output(), Qt::green);
    };
    std::function<int(const Start &)> delayMs = [](const Start &) { return 10; };
    int running = 0;
    int mostRunning = 0;
    int stops = 0;
    QList<int> stopped; // jobs ended one by one

    static ChildEnd WriteIcon(const QString &path, QColor colour)
    {
        QImage image(16, 16, QImage::Format_ARGB32);
        image.fill(colour);
        image.save(path, "ICO");
        return {ChildProcess::End::Exited, 0, {}};
    }

    void start(int job, const QString &program, const QStringList &arguments, const QString &folder,
               const QList<int> &) override
    {
        const Start s{job, program, arguments, folder};
        starts << s;
        mostRunning = std::max(mostRunning, ++running);
        const int generation = m_generation;
        QTimer::singleShot(delayMs(s), &m_context, [this, s, generation] {
            if (generation != m_generation || stopped.contains(s.job))
                return;
            --running;
            reportEnd(s.job, act(s));
        });
    }
    void stop(int job) override
    {
        stopped << job;
        --running;
    }
    void stopAll() override
    {
        ++stops;
        ++m_generation;
        running = 0;
    }

private:
    QObject m_context;
    int m_generation = 0;
};

// Converts the pictures, each icon beside its picture, with the user-defined size
// text; what the batch showed (its messages, then any error reports).
inline QStringList convertBeside(const QStringList &sources, const QString &sizeText,
                                 IcoFile::Packing packing = IcoFile::Packing::Standard)
{
    FakeWindow window;
    FakeReporter reporter;
    window.rows = sources;
    window.selectedSize = 7;
    window.sizeText = sizeText;
    window.packing = packing;
    window.selectedDestination = 9;
    FakeBatch batch(window, reporter);
    batch.PushButton2_Click();
    return window.messages + reporter.reports;
}
