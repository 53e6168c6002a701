#include "framework/Layout.h"

#include <map>
#include <stdexcept>

#include "framework/BitBtn.h"
#include "framework/Button.h"
#include "framework/CheckBox.h"
#include "framework/ComboBox.h"
#include "framework/DirectoryListBox.h"
#include "framework/DriveComboBox.h"
#include "framework/Edit.h"
#include "framework/Form.h"
#include "framework/GroupBox.h"
#include "framework/Image.h"
#include "framework/Label.h"
#include "framework/PageControl.h"
#include "framework/Panel.h"
#include "framework/ProgressBar.h"
#include "framework/RadioButton.h"
#include "framework/TabSheet.h"

namespace framework {

namespace {

TControl* Create(TForm& form, const ControlSpec& spec, TControl* parent) {
    switch (spec.type) {
        case ControlType::Label:
            return form.CreateControl<TLabel>(spec.name, parent);
        case ControlType::Button:
            return form.CreateControl<TButton>(spec.name, parent);
        case ControlType::BitBtn:
            return form.CreateControl<TBitBtn>(spec.name, parent);
        case ControlType::Edit:
            return form.CreateControl<TEdit>(spec.name, parent);
        case ControlType::CheckBox:
            return form.CreateControl<TCheckBox>(spec.name, parent);
        case ControlType::RadioButton:
            return form.CreateControl<TRadioButton>(spec.name, parent);
        case ControlType::ComboBox:
            return form.CreateControl<TComboBox>(spec.name, parent);
        case ControlType::ProgressBar:
            return form.CreateControl<TProgressBar>(spec.name, parent);
        case ControlType::GroupBox:
            return form.CreateControl<TGroupBox>(spec.name, parent);
        case ControlType::PageControl:
            return form.CreateControl<TPageControl>(spec.name, parent);
        case ControlType::TabSheet:
            return form.CreateControl<TTabSheet>(spec.name, parent);
        case ControlType::Panel:
            return form.CreateControl<TPanel>(spec.name, parent);
        case ControlType::Image:
            return form.CreateControl<TImage>(spec.name, parent);
        case ControlType::DriveComboBox:
            return form.CreateControl<TDriveComboBox>(spec.name, parent);
        case ControlType::DirectoryListBox:
            return form.CreateControl<TDirectoryListBox>(spec.name, parent);
    }
    throw std::logic_error("unknown control type for " + spec.name);
}

}  // namespace

void BuildLayout(TForm& form, const FormSpec& spec) {
    form.SetCaption(spec.caption);
    form.SetBorderStyle(spec.borderStyle);
    form.SetBorderIcons(spec.borderIcons);
    form.SetColor(spec.color);
    form.SetFont(spec.font);
    form.SetPixelsPerInch(spec.pixelsPerInch);
    form.SetBounds(spec.left, spec.top, spec.clientWidth + TForm::kFrameWidth,
                   spec.clientHeight + TForm::kFrameHeight);
    form.SetDesignVisible(spec.visible);

    std::vector<std::pair<TDriveComboBox*, std::string>> links;
    for (const ControlSpec& c : spec.controls) {
        TControl* parent = nullptr;
        if (!c.parent.empty()) {
            parent = form.FindControl(c.parent);
            if (!parent) throw std::logic_error("unknown parent " + c.parent + " of " + c.name);
        }
        TControl* control = Create(form, c, parent);
        control->SetBounds(c.left, c.top, c.width, c.height);
        if (c.font) control->SetFont(*c.font);
        if (c.color) control->SetColor(*c.color);
        control->SetTag(c.tag);
        control->SetTabOrder(c.tabOrder);
        if (c.tabStop) control->SetTabStop(*c.tabStop);
        control->SetAlignment(c.alignment);
        control->SetAutoSize(c.autoSize);
        control->SetWordWrap(c.wordWrap);
        control->SetKind(c.kind);
        control->SetDefault(c.isDefault);
        control->SetCancel(c.isCancel);
        control->SetModalResult(c.modalResult);
        control->SetRange(c.min, c.max);
        control->SetItemHeight(c.itemHeight);
        if (c.type == ControlType::ComboBox) control->SetStyle(c.style);
        if (!c.items.empty()) control->SetItems(c.items);
        if (c.type == ControlType::Panel) control->SetBevels(c.bevelInner, c.bevelOuter);
        if (!c.picture.empty()) control->SetPicture(c.picture);
        control->SetStretch(c.stretch);
        if (!c.caption.empty()) control->SetCaption(c.caption);
        if (c.checked) control->SetChecked(true);
        control->SetVisible(c.visible);
        control->SetEnabled(c.enabled);
        if (c.activePage && parent) parent->SetActivePage(control);
        if (auto* drive = dynamic_cast<TDriveComboBox*>(control)) {
            drive->SetTextCase(c.textCase);
            if (!c.dirList.empty()) links.emplace_back(drive, c.dirList);
        }
    }
    for (auto& [drive, listName] : links) {
        auto* list = form.Find<TDirectoryListBox>(listName);
        if (!list) throw std::logic_error("unknown folder list " + listName);
        drive->SetDirList(list);
    }
}

}  // namespace framework
