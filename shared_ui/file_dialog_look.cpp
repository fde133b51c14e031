#include "shared_ui/file_dialog_look.h"

#include "shared_ui/unspelled_names.h"

#include <QFileDialog>
#include <QFileSystemModel>
#include <QHeaderView>
#include <QIdentityProxyModel>
#include <QLocale>
#include <QScreen>
#include <QTreeView>

namespace lumora {

namespace {

constexpr int kNameColumn = 0;
constexpr int kSizeColumn = 1;
constexpr int kDateColumn = 3;
constexpr int kColumns = 4;
const QSize kDialogSize(860, 520);

// Qt's file list writes sizes and dates with QLocale::system(), which follows
// the environment (often C, that is English) rather than the locale the
// program set; this writes them with the program's default locale.
class LocaleFileColumns : public UnspelledNames
{
public:
    using UnspelledNames::UnspelledNames;

    QVariant data(const QModelIndex &index, int role) const override
    {
        const auto *files = qobject_cast<const QFileSystemModel *>(sourceModel());
        if (role != Qt::DisplayRole || !files || !index.isValid() || IsUnspelled(index))
            return UnspelledNames::data(index, role);
        const QModelIndex source = mapToSource(index);
        if (index.column() == kSizeColumn && !files->isDir(source))
            return QLocale().formattedDataSize(files->size(source));
        if (index.column() == kDateColumn)
            return QLocale().toString(files->lastModified(source), QLocale::ShortFormat);
        return UnspelledNames::data(index, role);
    }
};

} // namespace

void FitFileDialog(QFileDialog &dialog)
{
    auto *files = new LocaleFileColumns(&dialog);
    dialog.setProxyModel(files);
    ChooseUnspelledNames(dialog, *files);
    dialog.setViewMode(QFileDialog::Detail);
    // Names take what the other columns leave; those are as wide as their
    // widest visible text, so nothing in them is cut short.
    if (auto *view = dialog.findChild<QTreeView *>()) {
        QHeaderView *header = view->header();
        header->setStretchLastSection(false);
        header->setSectionResizeMode(kNameColumn, QHeaderView::Stretch);
        for (int c = kNameColumn + 1; c < kColumns; ++c)
            header->setSectionResizeMode(c, QHeaderView::ResizeToContents);
    }
    QSize size = dialog.size().expandedTo(kDialogSize);
    if (const QScreen *screen = dialog.screen())
        size = size.boundedTo(screen->availableSize());
    dialog.resize(size);
}

} // namespace lumora
