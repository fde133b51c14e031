#include "shared_ui/common_dialog.h"

#include "shared_ui/file_dialog_look.h"
#include "shared_ui/font_dialog.h"
#include "shared_ui/message_box.h"
#include "shared_ui/unspelled_names.h"

#include <QAbstractItemView>

#include <QFileDialog>
#include <QFileInfo>

namespace lumora {

namespace {

// "所有文件(*.*)" promises every file, names without a dot included; for Qt
// "*.*" means names with a dot, which would hide README and the like.
QString QtPattern(const QString &pattern)
{
    return pattern == QLatin1String("*.*") ? QStringLiteral("*") : pattern;
}

// Qt's file dialog reads the patterns from the last "(...)" of each filter
// and, with HideNameFilterDetails, shows only what stands before it: the
// user then sees exactly the description the command set.
QStringList QtNameFilters(const QList<CommonDialog::FilterEntry> &entries)
{
    QStringList out;
    for (const auto &e : entries) {
        QStringList pats = e.patterns.split(QLatin1Char(';'), Qt::SkipEmptyParts);
        for (QString &p : pats)
            p = QtPattern(p.trimmed());
        out << e.description + QStringLiteral(" (") + pats.join(QLatin1Char(' ')) + QLatin1Char(')');
    }
    return out;
}

// The 0-based entry the user chose, or -1.  Depending on the Qt version,
// selectedNameFilter() gives the whole filter or, with the details hidden,
// only the description the user saw; either identifies the entry.
int ChosenEntry(const QList<CommonDialog::FilterEntry> &entries, const QStringList &filters,
                const QString &selected)
{
    const int whole = int(filters.indexOf(selected));
    if (whole >= 0)
        return whole;
    for (int i = 0; i < entries.size(); ++i)
        if (entries[i].description.simplified() == selected.simplified())
            return i;
    return -1;
}

class QtBackend : public CommonDialogBackend
{
public:
    bool Open(CommonDialog &dlg, QWidget *parent) override { return Run(dlg, parent, QFileDialog::AcceptOpen); }
    bool Save(CommonDialog &dlg, QWidget *parent) override { return Run(dlg, parent, QFileDialog::AcceptSave); }
    bool Font(CommonDialog &dlg, QWidget *parent) override { return RunFontDialog(dlg, parent); }

private:
    static bool Run(CommonDialog &dlg, QWidget *parent, QFileDialog::AcceptMode mode)
    {
        if (ModalDialogsForbidden())
            qFatal("file dialog shown with nobody to answer it");
        QFileDialog fd(parent);
        fd.setOption(QFileDialog::DontUseNativeDialog);
        fd.setOption(QFileDialog::HideNameFilterDetails);
        // The commands ask no overwrite question and accept names of files
        // that do not exist yet; they report a missing file themselves.
        fd.setOption(QFileDialog::DontConfirmOverwrite);
        fd.setAcceptMode(mode);
        fd.setFileMode(QFileDialog::AnyFile);
        FitFileDialog(fd);
        const auto entries = dlg.FilterEntries();
        const QStringList filters = QtNameFilters(entries);
        if (!filters.isEmpty()) {
            fd.setNameFilters(filters);
            const int idx = dlg.FilterIndex() >= 1 && dlg.FilterIndex() <= filters.size() ? dlg.FilterIndex() - 1 : 0;
            fd.selectNameFilter(filters[idx]);
        }
        if (!dlg.FileName().isEmpty()) {
            const QFileInfo fi(dlg.FileName());
            fd.setDirectory(fi.absolutePath());
            fd.selectFile(fi.fileName());
        }
        if (fd.exec() != QDialog::Accepted || fd.selectedFiles().isEmpty())
            return false;
        dlg.SetFileName(QDir::toNativeSeparators(fd.selectedFiles().constFirst()));
        if (const auto *names = dynamic_cast<const UnspelledNames *>(fd.proxyModel())) {
            const auto *list = fd.findChild<QAbstractItemView *>(QStringLiteral("listView"));
            const QModelIndexList rows = list ? list->selectionModel()->selectedRows() : QModelIndexList();
            dlg.SetFileName(names->PathFor(dlg.FileName(), rows.size() == 1 ? rows[0] : QModelIndex()));
        }
        // The entry chosen stays for the next use; a choice that cannot be
        // told (never seen) leaves the earlier one rather than guessing.
        if (const int chosen = ChosenEntry(entries, filters, fd.selectedNameFilter()); chosen >= 0)
            dlg.SetFilterIndex(qint16(chosen + 1));
        return true;
    }
};

} // namespace

CommonDialog::CommonDialog(QWidget *owner) : QObject(owner), m_owner(owner)
{
    setObjectName(QStringLiteral("cmdia1"));
    FontName = DefaultFontDialogFace();
}

CommonDialog::~CommonDialog() = default;

CommonDialogBackend &CommonDialog::Backend()
{
    if (!m_backend)
        m_backend = std::make_unique<QtBackend>();
    return *m_backend;
}

void CommonDialog::SetBackend(std::unique_ptr<CommonDialogBackend> backend)
{
    m_backend = std::move(backend);
}

bool CommonDialog::ShowOpen() { return Backend().Open(*this, m_owner); }
bool CommonDialog::ShowSave() { return Backend().Save(*this, m_owner); }
bool CommonDialog::ShowFont() { return Backend().Font(*this, m_owner); }

QList<CommonDialog::FilterEntry> CommonDialog::FilterEntries() const
{
    QList<FilterEntry> out;
    const QStringList parts = Filter.split(QLatin1Char('|'));
    for (int i = 0; i + 1 < parts.size(); i += 2)
        out.append({parts[i], parts[i + 1].trimmed()});
    return out;
}

} // namespace lumora
