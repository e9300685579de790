// The icon preview: every entry of the icon a picture will become (or of an icon
// opened as it is), three ways, with the notes a designer acts on. It follows the
// desktop's palette, and Escape closes it, Tab walks the entries, + and - magnify.
#pragma once

#include "PreviewMaker.h"

#include <QList>
#include <QWidget>
#include <functional>

class Dialogs;
class EntryTile;
class Settings;
class QCheckBox;
class QComboBox;
class QLabel;
class QPushButton;
class QScrollArea;
class QVBoxLayout;

class PreviewWindow final : public QWidget
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(PreviewWindow)

public:
    // `batchRunning`: whether the window's batch runs now; the preview waits for it.
    PreviewWindow(Dialogs &dialogs, std::function<bool()> batchRunning = {},
                  QWidget *parent = nullptr);
    ~PreviewWindow() override;

    // Shows what `request` makes; a later call replaces an earlier one.
    void showPreview(const PreviewRequest &request);
    const PreviewRequest &request() const { return m_request; }
    const PreviewModel &model() const { return m_model; }
    int magnification() const { return m_magnification; }

signals:
    // The entries (or the reason there are none) are on the screen.
    void shown();

protected:
    void keyPressEvent(QKeyEvent *event) override;

private:
    void display(const PreviewModel &model);
    void setStatus(const QString &text);
    void setMagnification(int factor);
    void saveEntries();

    Dialogs &m_dialogs;
    PreviewMaker *m_maker = nullptr; // outlives this while its batch returns
    PreviewRequest m_request;
    PreviewModel m_model;
    QList<EntryTile *> m_tiles;
    int m_magnification = 4;
    QLabel *m_status = nullptr;
    QComboBox *m_magnify = nullptr;
    QCheckBox *m_grid = nullptr;
    QPushButton *m_save = nullptr;
    QScrollArea *m_scroll = nullptr;
    QWidget *m_entries = nullptr;
    QVBoxLayout *m_entryLayout = nullptr;
    QLabel *m_notes = nullptr;
};

// The preview of `path` from a terminal: an icon file as it is, any other picture as
// the window's saved size choice and packing make it.
PreviewRequest previewRequestFor(const QString &path, const Settings &settings);
