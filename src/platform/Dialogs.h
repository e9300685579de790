// Modal dialogs and shell services behind one seam, so that no test blocks on one.
#pragma once

#include <QString>
#include <QStringList>
#include <utility>

class QWidget;

// A message's way to what it is about: a line under its text, and a "Show Folder"
// button that opens `folder`; none when `folder` is empty.
struct FolderOffer
{
    QString note;
    QString folder;
};

class Dialogs
{
public:
    enum class Icon
    {
        None,
        Exclamation
    };

    virtual ~Dialogs() = default;

    // `details`, when not empty, shows on request below the text.
    virtual void message(QWidget *owner, const QString &text, const QString &title, Icon icon,
                         const QString &details = {}, const FolderOffer &offer = {}) = 0;
    virtual bool askYesNo(QWidget *owner, const QString &text, const QString &title) = 0;
    // The typed text; "" on Cancel.
    virtual QString inputBox(QWidget *owner, const QString &prompt, const QString &title,
                             const QString &defaultText) = 0;
    // The chosen folder ("/" for the root, else no trailing separator); "" on Cancel.
    virtual QString browseForFolder(QWidget *owner, const QString &prompt,
                                    const QString &startFolder) = 0;
    // The chosen files' full paths; none on Cancel. Throws AppError 20476 when the
    // names do not fit the dialog's buffer.
    virtual QStringList openFiles(QWidget *owner, const QString &title, const QString &filter) = 0;
    virtual void openFolder(const QString &path) = 0;
};

// The real dialogs of the desktop.
class QtDialogs : public Dialogs
{
public:
    // Names longer than this, in all, do not fit the open-file dialog's buffer.
    static constexpr qsizetype NameBufferChars = 1024 * 1024;

    // With a `messageLog` file, every message's title and text is appended to it too.
    explicit QtDialogs(QString messageLog = {}) : m_messageLog(std::move(messageLog)) {}

    void message(QWidget *owner, const QString &text, const QString &title, Icon icon,
                 const QString &details = {}, const FolderOffer &offer = {}) override;
    bool askYesNo(QWidget *owner, const QString &text, const QString &title) override;
    QString inputBox(QWidget *owner, const QString &prompt, const QString &title,
                     const QString &defaultText) override;
    QString browseForFolder(QWidget *owner, const QString &prompt,
                            const QString &startFolder) override;
    QStringList openFiles(QWidget *owner, const QString &title, const QString &filter) override;
    void openFolder(const QString &path) override;

private:
    QString m_messageLog;
};

// The dialog's chosen paths, cleaned; throws AppError 20476 when their names would
// not fit a buffer of `bufferChars`.
QStringList chosenFiles(const QStringList &paths, qsizetype bufferChars);
