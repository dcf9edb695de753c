// Drop-down rows of the property panel. CPropertyComboBase holds what every
// drop-down row shares (its combo-box editor, opening, ending and committing);
// each kind says how it fills the drop-down, takes a selection and draws its
// value. CPropertyCombobox is the plain list of texts.
#pragma once

#include "core/property_item.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class ComboBoxControl;

class CPropertyComboBase : public CPropertyItem {
public:
    explicit CPropertyComboBase(PropertyText name);
    ~CPropertyComboBase() override;

    void Draw(const DRAWITEMSTRUCT* dis) override;
    void MoveEditor() override;
    bool OnClick(bool inValue, int x) override;
    bool EndEdit(bool accept) override;
    void BeginEdit() override;
    bool CommitEdit() override;
    bool IsEditing() const override;
    void CloseEditor() override;

    // The open editor (null when none).
    ComboBoxControl* GetEditor() const { return m_editor.get(); }
    // Keeps the old value when the editor closes (a cancelled drop-down).
    void CancelEdit() { m_accept = 0; }

protected:
    enum class Take {
        Taken,    // the value was taken from the selection
        Nothing,  // nothing to take (no entry selected): the value stays
        KeepOpen, // the selection cannot be a value: the drop-down opens again
    };
    virtual uint32_t EditorStyle() const;
    // Fills the editor's entries and selects the current value.
    virtual void FillEditor(ComboBoxControl& combo) = 0;
    virtual Take TakeSelection(ComboBoxControl& combo) = 0;
    virtual void DrawValue(DeviceContext& dc, const DRAWITEMSTRUCT* dis, const RECT& value) = 0;
    // Run after the editor is created and filled (a kind may open it at once).
    virtual void AfterOpen(ComboBoxControl& combo) { (void)combo; }
    void DestroyEditor();
    // True while the entry being drawn belongs to this row's drop-down.
    bool OwnsEntry(const DRAWITEMSTRUCT* dis) const;

    std::unique_ptr<ComboBoxControl> m_editor;
    std::unique_ptr<ComboBoxControl> m_retired;
};

class CPropertyCombobox : public CPropertyComboBase {
public:
    // selected: index into entries, -1 for none.
    CPropertyCombobox(PropertyText name, std::vector<std::wstring> entries, int selected);
    int GetKind() const override { return kPropertyKindCombobox; }

    // -1 when no entry is selected.
    int GetSelectedIndex() const { return m_selected; }
    void SetSelectedIndex(int index);
    const std::vector<std::wstring>& GetEntries() const { return m_entries; }
    // The selected entry's text, empty when none.
    std::wstring GetSelectedText() const;

protected:
    void FillEditor(ComboBoxControl& combo) override;
    Take TakeSelection(ComboBoxControl& combo) override;
    void DrawValue(DeviceContext& dc, const DRAWITEMSTRUCT* dis, const RECT& value) override;

private:
    std::vector<std::wstring> m_entries;
    int m_selected = -1;
};
