#include "Dialogs.h"

#include "AppError.h"
#include "LineBreaks.h"

#include <QCoreApplication>
#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QInputDialog>
#include <QKeyEvent>
#include <QMessageBox>
#include <QPushButton>
#include <QUrl>

namespace {
// End-to-end tests and support can read what a user was told.
void logMessage(const QString &log, const QString &title, const QString &text)
{
    if (log.isEmpty())
        return;
    QFile file(log);
    if (file.open(QIODevice::WriteOnly | QIODevice::Append)) {
        QString line = title + QLatin1Char('\t') + text;
        line.replace(QLatin1String("\r\n"), QLatin1String("\\n"))
            .replace(QLatin1Char('\r'), QLatin1String("\\n"));
        file.write(line.toUtf8() + '\n');
    }
}

// The Escape that stopped a batch, still held as its summary opens, repeats into the
// box: only a fresh press closes it.
class FreshEscapeOnly final : public QObject
{
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::KeyPress || event->type() == QEvent::ShortcutOverride) {
            const auto *key = static_cast<QKeyEvent *>(event);
            if (key->key() == Qt::Key_Escape && key->isAutoRepeat())
                return true;
        }
        return QObject::eventFilter(watched, event);
    }
};
} // namespace

void QtDialogs::message(QWidget *owner, const QString &text, const QString &title, Icon icon,
                        const QString &details, const FolderOffer &offer)
{
    logMessage(m_messageLog, title, text);
    QMessageBox box(icon == Icon::Exclamation ? QMessageBox::Warning : QMessageBox::NoIcon, title,
                    withLineFeeds(text), QMessageBox::Ok, owner);
    if (!details.isEmpty())
        box.setDetailedText(withLineFeeds(details));
    QPushButton *showFolder = nullptr;
    if (!offer.folder.isEmpty()) {
        box.setInformativeText(offer.note);
        showFolder = box.addButton(QCoreApplication::translate("Dialogs", "Show Folder"),
                                   QMessageBox::ActionRole);
        box.setDefaultButton(QMessageBox::Ok);
        box.setEscapeButton(QMessageBox::Ok);
    }
    FreshEscapeOnly freshEscape;
    box.installEventFilter(&freshEscape);
    for (QWidget *child : box.findChildren<QWidget *>())
        child->installEventFilter(&freshEscape);
    box.exec();
    if (showFolder && box.clickedButton() == showFolder)
        openFolder(offer.folder);
}

bool QtDialogs::askYesNo(QWidget *owner, const QString &text, const QString &title)
{
    logMessage(m_messageLog, title, text);
    QMessageBox box(QMessageBox::NoIcon, title, withLineFeeds(text),
                    QMessageBox::Yes | QMessageBox::No, owner);
    return box.exec() == QMessageBox::Yes;
}

QString QtDialogs::inputBox(QWidget *owner, const QString &prompt, const QString &title,
                            const QString &defaultText)
{
    bool ok = false;
    const QString answer = QInputDialog::getText(owner, title, withLineFeeds(prompt),
                                                 QLineEdit::Normal, defaultText, &ok);
    return ok ? answer : QString();
}

QString QtDialogs::browseForFolder(QWidget *owner, const QString &prompt,
                                   const QString &startFolder)
{
    const QString start = QFileInfo(startFolder).isDir() ? startFolder : QString();
    QString folder = QFileDialog::getExistingDirectory(owner, prompt, start);
    if (folder.isEmpty())
        return {};
    folder = QDir::toNativeSeparators(folder);
    while (folder.size() > 1 && folder.endsWith(QDir::separator()))
        folder.chop(1);
    return folder;
}

QStringList chosenFiles(const QStringList &paths, qsizetype bufferChars)
{
    // The names, as the classic dialog's buffer held them: the folder part, then each
    // name after it.
    QStringList cleaned;
    qsizetype chars = 0;
    for (const QString &path : paths) {
        cleaned << QDir::toNativeSeparators(QDir::cleanPath(path));
        chars += cleaned.last().size() + 1;
    }
    if (chars > bufferChars)
        throw AppError(ErrorNumber::SelectionTooLarge,
                       QCoreApplication::translate("Dialogs", "Buffer too small"));
    return cleaned;
}

QStringList QtDialogs::openFiles(QWidget *owner, const QString &title, const QString &filter)
{
    // "Description|pattern|..." pairs become Qt's "Description (pattern)" filters.
    QStringList filters;
    const QStringList parts = filter.split(QLatin1Char('|'));
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        const QString &description = parts.at(i);
        filters << (description.contains(QLatin1Char('('))
                        ? description
                        : description + QStringLiteral(" (") + parts.at(i + 1) + QLatin1Char(')'));
    }
    QFileDialog dialog(owner, title);
    dialog.setNameFilters(filters);
    dialog.setFileMode(QFileDialog::ExistingFiles);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setObjectName(QStringLiteral("CommonDialog1"));
    if (dialog.exec() != QDialog::Accepted)
        return {};
    return chosenFiles(dialog.selectedFiles(), NameBufferChars);
}

void QtDialogs::openFolder(const QString &path)
{
    QDesktopServices::openUrl(QUrl::fromLocalFile(path));
}
