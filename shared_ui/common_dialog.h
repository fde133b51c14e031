#pragma once

#include "document/ole_color.h"

#include <QObject>
#include <QString>
#include <memory>

class QWidget;

namespace lumora {

class CommonDialog;

// Shows the actual dialogs.  Tests install one of their own to answer them.
class CommonDialogBackend
{
public:
    virtual ~CommonDialogBackend() = default;
    // Each returns true when the user confirmed; it reads and writes the
    // dialog's fields (file name, filter index, font values).
    virtual bool Open(CommonDialog &dlg, QWidget *parent) = 0;
    virtual bool Save(CommonDialog &dlg, QWidget *parent) = 0;
    virtual bool Font(CommonDialog &dlg, QWidget *parent) = 0;
};

// The one open/save/font dialog component of the main window.  Whatever a
// command sets on it and whatever the user last chose in it stays for the
// next command that uses it.
class CommonDialog : public QObject
{
    Q_OBJECT
public:
    explicit CommonDialog(QWidget *owner);
    ~CommonDialog() override;

    // "desc|pattern|desc|pattern..."
    QString Filter;
    QString FileName() const { return m_fileName; }
    void SetFileName(const QString &name) { m_fileName = name; }
    // 1-based entry the user chose; 0 before any use
    qint16 FilterIndex() const { return m_filterIndex; }
    void SetFilterIndex(qint16 index) { m_filterIndex = index; }
    qint32 Flags = 0;

    QString FontName;
    float FontSize = 9.0f;
    OleColor Color = 0;
    bool FontBold = false;
    bool FontItalic = false;
    bool FontStrikethru = false;
    bool FontUnderline = false;

    bool ShowOpen();
    bool ShowSave();
    bool ShowFont();

    // Takes ownership; pass nullptr to restore the real dialogs.
    void SetBackend(std::unique_ptr<CommonDialogBackend> backend);

    // The filter split into (description, patterns) pairs.
    struct FilterEntry
    {
        QString description;
        QString patterns;
    };
    QList<FilterEntry> FilterEntries() const;

private:
    CommonDialogBackend &Backend();

    QWidget *m_owner;
    QString m_fileName;
    qint16 m_filterIndex = 0;
    std::unique_ptr<CommonDialogBackend> m_backend;
};

} // namespace lumora
