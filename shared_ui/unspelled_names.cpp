#include "shared_ui/unspelled_names.h"

#include "document/file_paths.h"

#include <QAbstractItemView>
#include <QFile>
#include <QFileDialog>
#include <QFileIconProvider>
#include <QFileSystemModel>
#include <QKeyEvent>
#include <QLineEdit>
#include <QListView>
#include <QLocale>
#include <QMouseEvent>
#include <QRegularExpression>
#include <QTimer>
#include <QTreeView>
#include <algorithm>
#include <dirent.h>
#include <sys/stat.h>

namespace lumora {

namespace {

bool Matches(const QString &name, const QStringList &filters)
{
    return filters.isEmpty() || std::any_of(filters.begin(), filters.end(), [&](const QString &f) {
               const QString pattern = QRegularExpression::wildcardToRegularExpression(f);
               return QRegularExpression(pattern, QRegularExpression::CaseInsensitiveOption).match(name).hasMatch();
           });
}

} // namespace

void UnspelledNames::setSourceModel(QAbstractItemModel *source)
{
    QIdentityProxyModel::setSourceModel(source);
    m_entries.clear();
    m_folder = QPersistentModelIndex();
    if (auto *files = qobject_cast<QFileSystemModel *>(source)) {
        connect(files, &QFileSystemModel::rootPathChanged, this, &UnspelledNames::Refresh);
        Refresh();
    }
}

void UnspelledNames::Refresh()
{
    const auto *files = qobject_cast<const QFileSystemModel *>(sourceModel());
    if (!files)
        return;
    if (!m_entries.isEmpty() && m_folder.isValid()) {
        const int first = FolderRows();
        beginRemoveRows(mapFromSource(m_folder), first, first + int(m_entries.size()) - 1);
        m_entries.clear();
        endRemoveRows();
    }
    m_entries.clear();
    m_folderPath = files->rootPath();
    m_folder = files->index(m_folderPath);
    DIR *dir = m_folder.isValid() ? ::opendir(EncodeArgument(m_folderPath).constData()) : nullptr;
    if (!dir)
        return;
    const QString prefix = m_folderPath.endsWith(QLatin1Char('/')) ? m_folderPath : m_folderPath + QLatin1Char('/');
    const bool hidden = files->filter().testFlag(QDir::Hidden);
    QList<Entry> found;
    while (const dirent *e = ::readdir(dir)) {
        const QByteArray name(e->d_name);
        const QString shown = QFile::decodeName(name);
        struct stat st;
        // Names Qt spells are Qt's to list; folders it could not enter.
        if (QFile::encodeName(shown) == name || (!hidden && name.startsWith('.'))
            || ::fstatat(::dirfd(dir), name.constData(), &st, 0) != 0 || !S_ISREG(st.st_mode)
            || !Matches(shown, files->nameFilters()))
            continue;
        found.append({shown, prefix + shown, prefix + DecodeArgument(name), qint64(st.st_size)});
    }
    ::closedir(dir);
    if (found.isEmpty())
        return;
    std::sort(found.begin(), found.end(), [](const Entry &a, const Entry &b) { return a.path < b.path; });
    const int first = FolderRows();
    beginInsertRows(mapFromSource(m_folder), first, first + int(found.size()) - 1);
    m_entries = std::move(found);
    endInsertRows();
}

int UnspelledNames::FolderRows() const
{
    return m_folder.isValid() && sourceModel() ? sourceModel()->rowCount(m_folder) : 0;
}

bool UnspelledNames::IsFolder(const QModelIndex &proxyParent) const
{
    return !m_entries.isEmpty() && m_folder.isValid() && proxyParent.isValid()
           && proxyParent.internalPointer() != &m_tag && mapToSource(proxyParent) == m_folder;
}

int UnspelledNames::Extra(const QModelIndex &index) const
{
    if (!index.isValid() || index.model() != this || index.internalPointer() != &m_tag)
        return -1;
    const int i = index.row() - FolderRows();
    return i >= 0 && i < m_entries.size() ? i : -1;
}

bool UnspelledNames::IsUnspelled(const QModelIndex &index) const
{
    return Extra(index) >= 0;
}

int UnspelledNames::rowCount(const QModelIndex &parent) const
{
    if (parent.internalPointer() == &m_tag && parent.model() == this)
        return 0;
    return QIdentityProxyModel::rowCount(parent) + (IsFolder(parent) ? int(m_entries.size()) : 0);
}

bool UnspelledNames::hasChildren(const QModelIndex &parent) const
{
    if (parent.internalPointer() == &m_tag && parent.model() == this)
        return false;
    return IsFolder(parent) || QIdentityProxyModel::hasChildren(parent);
}

QModelIndex UnspelledNames::index(int row, int column, const QModelIndex &parent) const
{
    if (IsFolder(parent) && row >= FolderRows() && row < rowCount(parent) && column >= 0 && column < columnCount(parent))
        return createIndex(row, column, const_cast<char *>(&m_tag));
    return QIdentityProxyModel::index(row, column, parent);
}

QModelIndex UnspelledNames::parent(const QModelIndex &child) const
{
    if (child.internalPointer() == &m_tag && child.model() == this)
        return mapFromSource(m_folder);
    return QIdentityProxyModel::parent(child);
}

QModelIndex UnspelledNames::sibling(int row, int column, const QModelIndex &idx) const
{
    const QModelIndex up = parent(idx);
    if (IsFolder(up) && (idx.internalPointer() == &m_tag || row >= FolderRows()))
        return index(row, column, up);
    return QIdentityProxyModel::sibling(row, column, idx);
}

QModelIndex UnspelledNames::mapToSource(const QModelIndex &proxyIndex) const
{
    if (proxyIndex.internalPointer() == &m_tag && proxyIndex.model() == this)
        return QModelIndex();
    return QIdentityProxyModel::mapToSource(proxyIndex);
}

QVariant UnspelledNames::data(const QModelIndex &index, int role) const
{
    const int i = Extra(index);
    if (i < 0)
        return index.internalPointer() == &m_tag ? QVariant() : QIdentityProxyModel::data(index, role);
    const Entry &e = m_entries[i];
    if (index.column() == 1 && role == Qt::DisplayRole)
        return QLocale().formattedDataSize(e.size);
    if (index.column() != 0)
        return QVariant();
    switch (role) {
    case Qt::DisplayRole:
    case Qt::EditRole:
    case QFileSystemModel::FileNameRole:
        return e.shown;
    case QFileSystemModel::FilePathRole:
        return e.shownPath;
    case Qt::DecorationRole:
        return QFileIconProvider().icon(QAbstractFileIconProvider::File);
    default:
        return QVariant();
    }
}

Qt::ItemFlags UnspelledNames::flags(const QModelIndex &index) const
{
    if (index.internalPointer() == &m_tag && index.model() == this)
        return Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemNeverHasChildren;
    return QIdentityProxyModel::flags(index);
}

QModelIndexList UnspelledNames::match(const QModelIndex &start, int role, const QVariant &value, int hits,
                                      Qt::MatchFlags flags) const
{
    // The source model would search only its own rows.
    if (IsFolder(parent(start)))
        return QAbstractItemModel::match(start, role, value, hits, flags);
    return QIdentityProxyModel::match(start, role, value, hits, flags);
}

QString UnspelledNames::PathFor(const QString &chosen, const QModelIndex &selected) const
{
    // Two names may look the same once their bad bytes are replaced: the
    // row chosen tells them apart.
    if (const int i = Extra(selected); i >= 0 && m_entries[i].shownPath == chosen)
        return m_entries[i].path;
    for (const Entry &e : m_entries)
        if (e.shownPath == chosen)
            return e.path;
    return chosen;
}

namespace {

// Qt's dialog would take a double click or Enter on an added row for a way
// to its top level (the row has no place in Qt's own model): those open the
// file instead.
class OpenUnspelled : public QObject
{
public:
    OpenUnspelled(QFileDialog &dialog, UnspelledNames &names) : QObject(&dialog), m_dialog(dialog), m_names(names) {}

    bool eventFilter(QObject *watched, QEvent *event) override
    {
        auto *view = qobject_cast<QAbstractItemView *>(watched);
        QModelIndex index;
        if (event->type() == QEvent::MouseButtonDblClick && (view = qobject_cast<QAbstractItemView *>(watched->parent())))
            index = view->indexAt(static_cast<QMouseEvent *>(event)->position().toPoint());
        else if (event->type() == QEvent::KeyPress && view)
            if (const int key = static_cast<QKeyEvent *>(event)->key(); key == Qt::Key_Return || key == Qt::Key_Enter)
                index = view->currentIndex();
        if (!m_names.IsUnspelled(index))
            return false;
        view->selectionModel()->select(index, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
        static_cast<QDialog &>(m_dialog).accept();   // QFileDialog's own accept
        return true;
    }

private:
    QFileDialog &m_dialog;
    UnspelledNames &m_names;
};

} // namespace

void ChooseUnspelledNames(QFileDialog &dialog, UnspelledNames &names)
{
    auto *list = dialog.findChild<QListView *>(QStringLiteral("listView"));
    auto *edit = dialog.findChild<QLineEdit *>(QStringLiteral("fileNameEdit"));
    if (!list || !edit || !list->selectionModel())
        return;
    // Qt fills the name box only from rows of its own model.
    QObject::connect(list->selectionModel(), &QItemSelectionModel::selectionChanged, edit, [list, edit, &names] {
        const QModelIndexList rows = list->selectionModel()->selectedRows();
        if (rows.size() == 1 && names.IsUnspelled(rows[0]) && !edit->hasFocus())
            edit->setText(rows[0].data().toString());
    });
    auto *opener = new OpenUnspelled(dialog, names);
    for (QAbstractItemView *view : dialog.findChildren<QAbstractItemView *>()) {
        if (view->model() != &names)
            continue;
        view->installEventFilter(opener);
        view->viewport()->installEventFilter(opener);
    }
    QObject::connect(&dialog, &QFileDialog::filterSelected, &names, &UnspelledNames::Refresh);
    // Once shown, under the file type and folder the dialog was given.
    QTimer::singleShot(0, &names, &UnspelledNames::Refresh);
}

} // namespace lumora
