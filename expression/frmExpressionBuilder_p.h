#pragma once

// Private part of frmExpressionBuilder: its controls, its state and the steps its handlers
// run. Not installed; not part of the API.

#include "core/AttributeSource.h"
#include "expression/frmExpressionBuilder.h"
#include "platform/RecordSet.h"

#include <QString>

#include <memory>
#include <span>
#include <vector>

class QLabel;
class QLineEdit;
class QPushButton;
class QTreeWidget;

namespace tabulon {

namespace platform {
class DataGrid;
class LocalisationService;
} // namespace platform

class TABULON_AUTOTEST_EXPORT frmExpressionBuilderPrivate
{
public:
    explicit frmExpressionBuilderPrivate(frmExpressionBuilder *q) : q(q) {}
    static frmExpressionBuilderPrivate *get(frmExpressionBuilder *dialog)
    {
        return dialog->d.get();
    }

    // Creates the controls and lays them out.
    void CreateControls();
    // Puts each of the dialog's texts through the localisation service.
    void Localise(platform::LocalisationService &localisation);
    // Load: the function tree from the catalogue, the result box disabled.
    void Form_Load();
    void LoadFunctions();
    // Activation, at every showing: not yet accepted, no result.
    void Form_Activate();

    // The insertions at the caret of the expression box: a "$Name$" reference to the current
    // attribute of the list, and "Key()" for the current node of the function tree.
    void InsertAttributeReference();
    void InsertFunction();
    void cmdTest_Click();
    void cmdOK_Click();
    void cmdCancel_Click();
    // The attribute list's field-change notification: an edited value goes to its attribute.
    void mRS_FieldChangeComplete(int count,
                                 std::span<const platform::RecordSet::ChangedField> fields,
                                 platform::RecordSet &rs);

    // Where insertions go: the start of the selection, or the caret when nothing is selected.
    int SelStart() const;

    frmExpressionBuilder *const q;

    platform::DataGrid *datAttributes = nullptr;
    QTreeWidget *tvwFunctions = nullptr;
    QLineEdit *txtExpression = nullptr;
    QLineEdit *txtResult = nullptr;
    QPushButton *cmdTest = nullptr;
    QPushButton *cmdOK = nullptr;
    QPushButton *cmdCancel = nullptr;
    QLabel *lblAttributes = nullptr;
    QLabel *lblFunctions = nullptr;
    QLabel *lblExpression = nullptr;
    QLabel *lblResult = nullptr;
    // The function catalogue, hidden data of the dialog (translatable like its other texts).
    QString txtXML;

    std::shared_ptr<AttributeCollection> Atts;
    QString Index;
    bool Cancelled = true;
    bool mLoading = false;
    std::unique_ptr<platform::RecordSet> mRS;
    // Lists replaced while one of their notifications ran (an attribute's setValue may set
    // Atts again): kept until the next replacement outside a notification.
    std::vector<std::unique_ptr<platform::RecordSet>> mRetired;
    int mNotifying = 0;
};

} // namespace tabulon
