// The icon preview's place in the window: opened from the list, it follows the
// selected row and the size choice, and waits while the window's batch runs.
#include "Form1.h"

#include "core/OptionNumber.h"
#include "filelist/FileListModel.h"
#include "filelist/FileListView.h"
#include "preview/PreviewWindow.h"

#include <QCheckBox>
#include <QItemSelectionModel>
#include <QLineEdit>
#include <QRadioButton>

void Form1::connectPreview()
{
    const Form1Controls &c = m_controls;
    connect(c.ListView1, &FileListView::previewRequested, this, &Form1::ListView1_Preview);
    connect(c.ListView1->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            &Form1::updatePreview);
    for (int n = OptionNumber::Size16; n <= OptionNumber::UserDefinedSize; ++n)
        connect(c.Option[size_t(n)], &QRadioButton::toggled, this, &Form1::updatePreview);
    connect(c.Text2, &QLineEdit::textChanged, this, &Form1::updatePreview);
    connect(c.Check1, &QCheckBox::toggled, this, &Form1::updatePreview);
}

void Form1::ListView1_Preview()
{
    if (!m_preview) {
        m_preview = new PreviewWindow(
            m_dialogs, [this] { return m_batch.isConverting(); }, this);
        m_preview->setWindowIcon(windowIcon());
    }
    previewSelectedRow(true);
    m_preview->show();
    m_preview->raise();
    m_preview->activateWindow();
}

void Form1::updatePreview()
{
    if (m_preview && m_preview->isVisible())
        previewSelectedRow(false);
}

void Form1::previewSelectedRow(bool again)
{
    const QModelIndex selected = m_controls.ListView1->selectedIndex();
    if (!selected.isValid())
        return;
    const BatchRequest batch = m_batchWindow.request();
    PreviewRequest request;
    request.path = m_model->rowText(selected.row() + 1);
    request.size = batch.size;
    request.packing = batch.packing;
    // A switched option reports twice, the one left and the one chosen.
    const PreviewRequest &shown = m_preview->request();
    if (!again && request.path == shown.path && request.packing == shown.packing &&
        request.size.text() == shown.size.text() && request.size.kind() == shown.size.kind())
        return;
    m_preview->showPreview(request);
}
