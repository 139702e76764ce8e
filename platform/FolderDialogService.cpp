#include "platform/FolderDialogService.h"

#include "platform/Shell_p.h"

#include <QAbstractProxyModel>
#include <QApplication>
#include <QDialog>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileIconProvider>
#include <QFileInfo>
#include <QFileSystemModel>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QSortFilterProxyModel>
#include <QStyle>
#include <QTimer>
#include <QTreeView>
#include <QVBoxLayout>

#include <algorithm>
#include <cstring>
#include <optional>
#include <utility>
#include <vector>

namespace tabulon::platform {

namespace {

// Shows the folders of a file-system model below one root folder, with that folder itself as
// the single top item (a tree view's root index would hide it and make it unselectable).
class RootFilter : public QSortFilterProxyModel
{
public:
    RootFilter(QFileSystemModel &model, const QString &rootPath, QObject *parent)
        : QSortFilterProxyModel(parent), m_model(model), m_rootPath(rootPath)
    {
        setSourceModel(&model);
        setSortCaseSensitivity(Qt::CaseInsensitive);
    }

    // The source index of the top item's parent: the children of it that are not the root
    // are filtered out. Invalid without a root: then every drive is a top item.
    QModelIndex topParent() const
    {
        return m_rootPath.isEmpty() ? QModelIndex() : m_model.index(m_rootPath).parent();
    }

protected:
    bool filterAcceptsRow(int row, const QModelIndex &parent) const override
    {
        if (m_rootPath.isEmpty()) return true;
        const QModelIndex index = m_model.index(row, 0, parent);
        const QString path = m_model.filePath(index);
        // Ancestors of the root stay so that the root can be reached; their other children go.
        return path == m_rootPath || m_rootPath.startsWith(path == u"/" ? path : path + u'/') ||
               path.startsWith(m_rootPath == u"/" ? m_rootPath : m_rootPath + u'/');
    }

private:
    QFileSystemModel &m_model;
    QString m_rootPath;
};

// The whole file system below one virtual item, the computer, which has no path: its
// children are the drives. Every other index is the file-system model's own, one for one.
class ComputerRoot : public QAbstractProxyModel
{
public:
    ComputerRoot(QFileSystemModel &model, QObject *parent) : QAbstractProxyModel(parent)
    {
        setSourceModel(&model);
        const auto parentOf = [this](const QModelIndex &source) { return mapFromSource(source); };
        connect(&model, &QAbstractItemModel::rowsAboutToBeInserted, this,
                [=, this](const QModelIndex &p, int first, int last) {
                    beginInsertRows(parentOf(p), first, last);
                });
        connect(&model, &QAbstractItemModel::rowsInserted, this, [this] { endInsertRows(); });
        connect(&model, &QAbstractItemModel::rowsAboutToBeRemoved, this,
                [=, this](const QModelIndex &p, int first, int last) {
                    beginRemoveRows(parentOf(p), first, last);
                });
        connect(&model, &QAbstractItemModel::rowsRemoved, this, [this] { endRemoveRows(); });
        connect(&model, &QAbstractItemModel::dataChanged, this,
                [this](const QModelIndex &from, const QModelIndex &to, const QList<int> &roles) {
                    Q_EMIT dataChanged(mapFromSource(from), mapFromSource(to), roles);
                });
        connect(&model, &QAbstractItemModel::modelAboutToBeReset, this,
                [this] { beginResetModel(); });
        connect(&model, &QAbstractItemModel::modelReset, this, [this] { endResetModel(); });
        connect(&model, &QAbstractItemModel::layoutAboutToBeChanged, this,
                [this] { layoutAboutToChange(); });
        connect(&model, &QAbstractItemModel::layoutChanged, this, [this] { layoutChangedDone(); });
    }

    QModelIndex computer() const { return createIndex(0, 0, marker()); }

    QModelIndex mapFromSource(const QModelIndex &source) const override
    {
        if (!source.isValid()) return computer();
        return createIndex(source.row(), source.column(), source.internalPointer());
    }
    QModelIndex mapToSource(const QModelIndex &proxy) const override
    {
        if (!proxy.isValid() || isComputer(proxy)) return {};
        return createSourceIndex(proxy.row(), proxy.column(), proxy.internalPointer());
    }
    QModelIndex index(int row, int column, const QModelIndex &parent = {}) const override
    {
        if (!hasIndex(row, column, parent)) return {};
        if (!parent.isValid()) return createIndex(row, column, marker());
        return mapFromSource(sourceModel()->index(row, column, mapToSource(parent)));
    }
    QModelIndex parent(const QModelIndex &child) const override
    {
        if (!child.isValid() || isComputer(child)) return {};
        return mapFromSource(mapToSource(child).parent());
    }
    int rowCount(const QModelIndex &parent = {}) const override
    {
        if (!parent.isValid()) return 1;
        if (parent.column() > 0) return 0;
        return sourceModel()->rowCount(mapToSource(parent));
    }
    int columnCount(const QModelIndex &parent = {}) const override
    {
        return sourceModel()->columnCount(mapToSource(parent));
    }
    QModelIndex sibling(int row, int column, const QModelIndex &index) const override
    {
        return index.isValid() ? this->index(row, column, parent(index)) : QModelIndex();
    }
    QModelIndex buddy(const QModelIndex &index) const override { return index; }
    QVariant data(const QModelIndex &index, int role) const override
    {
        if (!isComputer(index)) return QAbstractProxyModel::data(index, role);
        if (index.column() != 0) return {};
        if (role == Qt::DisplayRole) return QStringLiteral("Computer");
        if (role == Qt::DecorationRole)
            return QApplication::style()->standardIcon(QStyle::SP_ComputerIcon);
        return {};
    }
    Qt::ItemFlags flags(const QModelIndex &index) const override
    {
        if (isComputer(index)) return Qt::ItemIsEnabled | Qt::ItemIsSelectable;
        return QAbstractProxyModel::flags(index);
    }
    bool hasChildren(const QModelIndex &parent = {}) const override
    {
        return !parent.isValid() || QAbstractProxyModel::hasChildren(parent);
    }

private:
    // The computer's indexes carry this model's address, which no file-system node has.
    void *marker() const { return const_cast<ComputerRoot *>(this); }
    bool isComputer(const QModelIndex &index) const
    {
        return index.isValid() && index.internalPointer() == marker();
    }

    // Sorting moves rows under their parents: the views' persistent indexes follow their
    // file-system items, and the computer stays where it is.
    void layoutAboutToChange()
    {
        Q_EMIT layoutAboutToBeChanged();
        m_moving.clear();
        for (const QModelIndex &proxy : persistentIndexList())
            if (!isComputer(proxy)) m_moving.push_back({proxy, mapToSource(proxy)});
    }
    void layoutChangedDone()
    {
        for (const auto &[proxy, source] : std::as_const(m_moving))
            changePersistentIndex(proxy, mapFromSource(source));
        m_moving.clear();
        Q_EMIT layoutChanged();
    }

    std::vector<std::pair<QModelIndex, QPersistentModelIndex>> m_moving;
};

// Icons and type names that never read a file: the model asks for every entry of a folder,
// files too, and the stock provider sniffs their contents for a MIME type, which blocks on a
// device or pipe (/proc/kmsg, a FIFO). Folders get the theme's icon, else the style's, so the
// tree reads as folders also where the desktop has no theme (the offscreen platform).
class FolderIcons : public QFileIconProvider
{
public:
    QIcon icon(const QFileInfo &info) const override
    {
        QStyle *style = QApplication::style();
        if (!info.isDir()) return style->standardIcon(QStyle::SP_FileIcon);
        QIcon icon = QFileIconProvider::icon(info);
        if (!icon.isNull()) return icon;
        if (info.isRoot()) return style->standardIcon(QStyle::SP_DriveHDIcon);
        if (info.absoluteFilePath() == QDir::homePath())
            return style->standardIcon(QStyle::SP_DirHomeIcon);
        return style->standardIcon(QStyle::SP_DirIcon);
    }
    QString type(const QFileInfo &info) const override
    {
        return info.isDir() ? QStringLiteral("Folder") : QStringLiteral("File");
    }
};

// One line of text that never widens its window: too long, it loses its middle ("/data/…/pumps")
// and shows whole in its tooltip.
class StatusLine : public QLabel
{
public:
    explicit StatusLine(QWidget *parent) : QLabel(parent)
    {
        setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Fixed);
        setTextFormat(Qt::PlainText);
        QPalette dimmed = palette();
        dimmed.setColor(QPalette::WindowText, dimmed.color(QPalette::PlaceholderText));
        setPalette(dimmed);
    }
    void setFullText(const QString &text)
    {
        m_text = text;
        setToolTip(text);
        elide();
    }

protected:
    void resizeEvent(QResizeEvent *event) override
    {
        QLabel::resizeEvent(event);
        elide();
    }

private:
    void elide() { setText(fontMetrics().elidedText(m_text, Qt::ElideMiddle, width())); }
    QString m_text;
};

// The built-in folder picker: the instruction text, an optional status line, the tree of
// folders (below the request's root, else below the computer), an optional edit box, OK and
// Cancel.
class FolderPicker : public QDialog
{
public:
    FolderPicker(FolderDialogService::Request &request, FolderDialogService::Dialog &handle)
        : QDialog(request.owner), m_request(request), m_handle(handle)
    {
        setObjectName(QStringLiteral("FolderPicker"));
        setWindowTitle(QStringLiteral("Select Folder"));
        const quint32 flags = request.flags;
        const QString rootPath = request.root ? request.root->path : QString();

        m_model = new QFileSystemModel(this);
        m_model->setFilter(QDir::AllDirs | QDir::Drives | QDir::NoDotAndDotDot);
        m_model->setReadOnly(true);
        m_model->setIconProvider(&m_icons);
        m_model->setRootPath(rootPath);
        if (rootPath.isEmpty())
            m_filter = new ComputerRoot(*m_model, this);
        else
            m_filter = new RootFilter(*m_model, rootPath, this);

        auto *title = new QLabel(QString::fromLocal8Bit(request.title), this);
        title->setObjectName(QStringLiteral("title"));
        title->setWordWrap(true);
        title->setVisible(!request.title.isEmpty());

        if (flags & BIF_STATUSTEXT) {
            m_status = new StatusLine(this);
            m_status->setObjectName(QStringLiteral("status"));
        }

        m_tree = new QTreeView(this);
        m_tree->setObjectName(QStringLiteral("folders"));
        m_tree->setModel(m_filter);
        m_tree->setHeaderHidden(true);
        for (int column = 1; column < m_filter->columnCount(); ++column)
            m_tree->hideColumn(column);
        m_tree->setSortingEnabled(true);
        m_tree->sortByColumn(0, Qt::AscendingOrder);
        m_tree->setUniformRowHeights(true);
        m_tree->setSelectionMode(QAbstractItemView::SingleSelection);
        if (auto *filter = dynamic_cast<RootFilter *>(m_filter))
            m_tree->setRootIndex(m_filter->mapFromSource(filter->topParent()));

        auto *layout = new QVBoxLayout(this);
        layout->addWidget(title);
        if (m_status) layout->addWidget(m_status);
        layout->addWidget(m_tree, 1);
        if (flags & BIF_EDITBOX) {
            m_edit = new QLineEdit(this);
            m_edit->setObjectName(QStringLiteral("folder"));
            auto *label = new QLabel(QStringLiteral("&Folder:"), this);
            label->setBuddy(m_edit);
            auto *row = new QHBoxLayout;
            row->addWidget(label);
            row->addWidget(m_edit, 1);
            layout->addLayout(row);
            QObject::connect(m_edit, &QLineEdit::textEdited, this, [this] {
                // New text is a new request: a failed validation no longer holds OK back.
                if (std::exchange(m_validationFailed, false)) ok()->setEnabled(choosable());
            });
        }
        m_buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
        layout->addWidget(m_buttons);
        QObject::connect(m_buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
        QObject::connect(m_buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

        if (flags & BIF_NEWDIALOGSTYLE) {
            setSizeGripEnabled(true);
            resize(440, 520);
        } else {
            setFixedSize(360, 420);
        }

        selectInitial(rootPath);
        // Folders load in the background and sort as they arrive: once the ones around the
        // selection are in, it is brought back into view.
        QObject::connect(m_model, &QFileSystemModel::directoryLoaded, this,
                         [this](const QString &dir) {
                             if (currentPath().startsWith(dir))
                                 m_tree->scrollTo(m_tree->currentIndex());
                         });
        QObject::connect(m_tree->selectionModel(), &QItemSelectionModel::currentChanged, this,
                         [this](const QModelIndex &current) { selectionChanged(current); });
    }

    // The model reads icons on a thread of its own until it is gone, so it goes before the
    // icon provider, and the view and filter over it go first.
    ~FolderPicker() override
    {
        delete m_tree;
        delete m_filter;
        delete m_model;
    }

    // The chosen item once the dialog has been accepted.
    struct Choice
    {
        QString path; // empty for the computer
        QString name;
    };
    std::optional<Choice> chosen() const { return m_chosen; }

    // Sends the first notifications once the dialog is up: BFFM_INITIALIZED, then the
    // selection it opened with, unless the callback already moved it.
    void start()
    {
        m_tree->setFocus();
        m_selectionReported = false;
        // A callback that deletes our owner deletes us too.
        QPointer<FolderPicker> self(this);
        notify(BFFM_INITIALIZED, {});
        if (self && !m_selectionReported) selectionChanged(m_tree->currentIndex());
    }

    void setStatusText(const QString &text)
    {
        if (m_status) m_status->setFullText(text);
    }
    // The callback cannot enable OK for an item that BIF_RETURNONLYFSDIRS refuses.
    void enableOk(bool enabled) { ok()->setEnabled(enabled && choosable()); }
    // Selects `item`'s folder, or the computer for an item without a path; null clears the
    // selection.
    void select(const ItemIdList *item)
    {
        if (!item) {
            m_tree->setCurrentIndex(QModelIndex());
            return;
        }
        auto *computer = dynamic_cast<ComputerRoot *>(m_filter);
        const QModelIndex index = !item->path.isEmpty()
                                      ? m_filter->mapFromSource(m_model->index(item->path))
                                  : computer ? computer->computer()
                                             : QModelIndex();
        if (!index.isValid()) return; // outside the root
        m_tree->setCurrentIndex(index);
        m_tree->scrollTo(index);
    }

    void accept() override
    {
        const QString current = currentPath();
        const QString typed = m_edit ? m_edit->text().trimmed() : QString();
        if (!typed.isEmpty() && typed != currentName()) {
            // Relative to the selected folder; below the computer only a full path names one.
            const QDir base(current.isEmpty() ? QDir::rootPath() : current);
            const QString target = QDir::cleanPath(base.absoluteFilePath(typed));
            if (QFileInfo(target).isDir()) {
                finish({target, QFileInfo(target).fileName()});
                return;
            }
            if (m_request.flags & BIF_VALIDATE) {
                QPointer<FolderPicker> self(this);
                m_validationFailed = true;
                const qint32 keepOpen =
                    notify(BFFM_VALIDATEFAILEDA, {nullptr, typed.toLocal8Bit()});
                // Not kept open: the typed text named nothing, so nothing is chosen.
                if (self && !keepOpen && isVisible()) reject();
                return;
            }
            // Without validation the typed text is dropped and the selection stands.
        }
        // Nothing that may be chosen: OK does nothing, as when it is disabled.
        if (choosable()) finish({current, currentName()});
    }

private:
    QPushButton *ok() const { return m_buttons->button(QDialogButtonBox::Ok); }

    // Whether OK may choose the selection: there is one, and it has a path unless any item
    // will do.
    bool choosable() const
    {
        if (!m_tree->currentIndex().isValid()) return false;
        return !currentPath().isEmpty() || !(m_request.flags & BIF_RETURNONLYFSDIRS);
    }

    QString currentPath() const
    {
        const QModelIndex index = m_tree->currentIndex();
        return index.isValid() ? m_model->filePath(m_filter->mapToSource(index)) : QString();
    }
    QString currentName() const
    {
        const QModelIndex index = m_tree->currentIndex();
        return index.isValid() ? index.data().toString() : QString();
    }

    void selectInitial(const QString &rootPath)
    {
        const QString start = rootPath.isEmpty() ? QDir::homePath() : rootPath;
        const QModelIndex index = m_filter->mapFromSource(m_model->index(start));
        m_tree->setCurrentIndex(index);
        m_tree->expand(index);
        m_tree->scrollTo(index);
    }

    void selectionChanged(const QModelIndex &current)
    {
        m_selectionReported = true;
        m_validationFailed = false;
        const QString path = currentPath();
        ok()->setEnabled(choosable());
        if (m_edit) m_edit->setText(currentName());
        if (!current.isValid()) {
            notify(BFFM_SELCHANGED, {});
            return;
        }
        ShellAllocator &allocator = ShellAllocator::instance();
        ItemIdList *item = allocator.allocate(path, currentName());
        notify(BFFM_SELCHANGED, {item, {}});
        allocator.free(item);
    }

    qint32 notify(unsigned message, const FolderDialogService::Notification &param)
    {
        if (!m_request.callback) return 0;
        return m_request.callback(m_handle, message, param, m_request.callbackData);
    }

    void finish(const Choice &choice)
    {
        m_chosen = choice;
        QDialog::accept();
    }

    FolderDialogService::Request &m_request;
    FolderDialogService::Dialog &m_handle;
    FolderIcons m_icons; // outlives the model: see the destructor
    QFileSystemModel *m_model = nullptr;
    QAbstractProxyModel *m_filter = nullptr;
    QTreeView *m_tree = nullptr;
    StatusLine *m_status = nullptr;
    QLineEdit *m_edit = nullptr;
    QDialogButtonBox *m_buttons = nullptr;
    std::optional<Choice> m_chosen;
    bool m_selectionReported = false;
    bool m_validationFailed = false;
};

// The messages of the callback, applied to the picker while it exists.
class PickerHandle : public FolderDialogService::Dialog
{
public:
    void attach(FolderPicker *picker) { m_picker = picker; }

    void setStatusText(const QByteArray &text) override
    {
        if (m_picker) m_picker->setStatusText(QString::fromLocal8Bit(text));
    }
    void enableOk(bool enabled) override
    {
        if (m_picker) m_picker->enableOk(enabled);
    }
    void setSelection(const ItemIdList *item) override
    {
        if (m_picker) m_picker->select(item);
    }
    void setWindowText(const QByteArray &text) override
    {
        if (m_picker) m_picker->setWindowTitle(QString::fromLocal8Bit(text));
    }
    void setFocus() override
    {
        if (!m_picker) return;
        m_picker->activateWindow();
        m_picker->setFocus();
    }
    void close() override
    {
        if (m_picker) m_picker->reject();
    }
    QWidget *window() override { return m_picker; }

private:
    QPointer<FolderPicker> m_picker;
};

class QtFolderDialogService : public FolderDialogService
{
public:
    ItemIdList *browse(Request &request) override
    {
        PickerHandle handle;
        // On the heap: a callback that deletes the owner takes the picker with it.
        QPointer<FolderPicker> picker = new FolderPicker(request, handle);
        handle.attach(picker);
        QTimer::singleShot(0, picker, [&picker] { picker->start(); });
        const int result = picker->exec();
        if (!picker) return nullptr;
        const std::optional<FolderPicker::Choice> chosen = picker->chosen();
        delete picker;
        if (result != QDialog::Accepted || !chosen) return nullptr;

        const QString name = chosen->name.isEmpty() ? chosen->path : chosen->name;
        const QByteArray narrow = name.toLocal8Bit().left(kMaxPath - 1);
        std::memcpy(request.displayName.data(), narrow.constData(), size_t(narrow.size()));
        request.displayName[size_t(narrow.size())] = '\0';
        return ShellAllocator::instance().allocate(chosen->path, name);
    }
};

FolderDialogService *installed = nullptr;

} // namespace

FolderDialogService::Dialog::~Dialog() = default;
FolderDialogService::~FolderDialogService() = default;

FolderDialogService &FolderDialogService::instance()
{
    static QtFolderDialogService qt;
    return installed ? *installed : qt;
}

FolderDialogService *FolderDialogService::setInstance(FolderDialogService *service)
{
    return std::exchange(installed, service);
}

} // namespace tabulon::platform
