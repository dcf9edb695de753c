// The text rows of the property panel: a plain edit row (optionally a length
// in a display unit), an edit row with a check box in front, and an edit row
// with a push button that sends a command to an owner window.
#pragma once

#include "core/property_item.h"

#include <memory>
#include <string>

class EditControl;
class ButtonControl;
class PlatformWindow;

class CPropertyEdit : public CPropertyItem {
public:
    // unit: the LengthUnit the text is written in, -1 when not a length.
    CPropertyEdit(PropertyText name, std::wstring text, int unit = -1);
    ~CPropertyEdit() override;

    int GetKind() const override { return kPropertyKindEdit; }
    void Draw(const DRAWITEMSTRUCT* dis) override;
    void MoveEditor() override;
    bool OnClick(bool inValue, int x) override;
    bool EndEdit(bool accept) override;
    void BeginEdit() override;
    bool CommitEdit() override;
    bool IsEditing() const override;
    void CloseEditor() override;

    const std::wstring& GetText() const { return m_text; }
    void SetText(std::wstring text) { m_text = std::move(text); }
    int GetUnit() const { return m_unit; }
    // The open editor (null when none); tests type into it.
    EditControl* GetEditor() const { return m_editor.get(); }

protected:
    // Where the editor sits: the value column, less what the kind draws there.
    virtual RECT EditorRect() const;
    // Draws the value right of the divider.
    virtual void DrawValue(DeviceContext& dc, const RECT& value);
    void DestroyEditor();

    std::unique_ptr<EditControl> m_editor;
    // An editor destroyed while its own notification runs is deleted later.
    std::unique_ptr<EditControl> m_retired;
    std::wstring m_text;
    int m_unit = -1;
};

class CPropertyEditAndCheckbox : public CPropertyEdit {
public:
    CPropertyEditAndCheckbox(PropertyText name, std::wstring text, bool checked);
    int GetKind() const override { return kPropertyKindEditAndCheckbox; }
    bool OnClick(bool inValue, int x) override;

    bool GetCheck() const { return m_checked; }
    void SetCheck(bool checked) { m_checked = checked; }

protected:
    RECT EditorRect() const override;
    void DrawValue(DeviceContext& dc, const RECT& value) override;

private:
    bool m_checked = false;
};

// Style bits of a button row.
constexpr int kButtonOnly = 1;   // no editable value: the button fills the value column
constexpr int kButtonBitmap = 2; // the button shows bitmap resource 385

class CPropertyEditAndButton : public CPropertyEdit {
public:
    // captionId 0 gives the caption "...".
    CPropertyEditAndButton(PropertyText name, std::wstring text, int commandId,
                           PlatformWindow* owner, unsigned captionId, int style);
    ~CPropertyEditAndButton() override;
    int GetKind() const override { return kPropertyKindEditAndButton; }
    void Draw(const DRAWITEMSTRUCT* dis) override;
    void MoveEditor() override;
    bool OnClick(bool inValue, int x) override;
    void BeginEdit() override;
    void CloseEditor() override;

    int GetCommandId() const { return m_commandId; }
    PlatformWindow* GetOwner() const { return m_owner; }
    const std::wstring& GetCaption() const { return m_caption; }
    int GetStyle() const { return m_style; }
    ButtonControl* GetButton() const { return m_button.get(); }

protected:
    RECT EditorRect() const override;
    void DrawValue(DeviceContext& dc, const RECT& value) override;

private:
    RECT ButtonRect() const;
    void PlaceButton();

    PlatformWindow* m_owner = nullptr;
    int m_commandId = 0;
    std::unique_ptr<ButtonControl> m_button;
    std::wstring m_caption;
    int m_style = 0;
};
