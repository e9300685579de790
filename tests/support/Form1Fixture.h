// The main window offscreen, with fake dialogs and its own settings file per test.
#pragma once

#include "TestSupport.h"
#include "app/Form1.h"
#include "app/ProgressBar.h"
#include "filelist/AddFilesByDialog.h"
#include "filelist/FileListModel.h"
#include "filelist/FileListView.h"

#include <QAbstractItemView>
#include <QAccessible>
#include <QApplication>
#include <QBuffer>
#include <QCheckBox>
#include <QCompleter>
#include <QGroupBox>
#include <QHeaderView>
#include <QLineEdit>
#include <QMimeData>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QScopeGuard>
#include <QSettings>
#include <QStandardPaths>
#include <QStyleOptionButton>
#include <QTemporaryDir>
#include <QTimer>
#include <QUrl>
#include <QtTest>

class EventCounter final : public QObject
{
public:
    EventCounter(QEvent::Type type, int *count) : m_type(type), m_count(count) {}
    bool eventFilter(QObject *, QEvent *event) override
    {
        if (event->type() == m_type)
            ++*m_count;
        return false;
    }

private:
    QEvent::Type m_type;
    int *m_count;
};

template <class T> T *child(QWidget &w, const char *name)
{
    T *found = w.findChild<T *>(QLatin1String(name));
    if (!found)
        qFatal("no control %s", name);
    return found;
}

class Form1Fixture : public QObject
{
protected:
    QTemporaryDir m_dir;
    QString m_app;
    std::unique_ptr<SettingsStore> m_store;
    FakeDialogs m_dialogs;

    // A fresh program folder and settings file for each test.
    void prepare()
    {
        m_app = m_dir.filePath(QStringLiteral("app%1").arg(QRandomGenerator::global()->generate()));
        QDir().mkpath(m_app);
        keepSettingsIn(m_app + "/settings");
        m_store = std::make_unique<SettingsStore>();
        m_dialogs = FakeDialogs();
    }
    std::unique_ptr<Form1> loadedWindow()
    {
        auto w = std::make_unique<Form1>(m_dialogs, *m_store, m_app);
        w->Form_Load();
        return w;
    }
    QString stored(const QString &key) const { return m_store->read(key, "<absent>"); }
    QStringList reports() const
    {
        QStringList r;
        for (const ShownMessage &m : m_dialogs.messages)
            if (m.title == QLatin1String("Application Error"))
                r << m.text;
        return r;
    }
    static QString desktop()
    {
        const QString desktop = QStandardPaths::writableLocation(QStandardPaths::DesktopLocation);
        return (QFileInfo(desktop).isDir() ? desktop : QDir::homePath()) + '/';
    }
};
