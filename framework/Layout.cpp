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

TControl* Create(TForm& form, const ControlSpec& desc, TControl* parent) {
    switch (desc.type) {
        case ControlType::Label:
            return form.CreateControl<TLabel>(desc.name, parent);
        case ControlType::Button:
            return form.CreateControl<TButton>(desc.name, parent);
        case ControlType::BitBtn:
            return form.CreateControl<TBitBtn>(desc.name, parent);
        case ControlType::Edit:
            return form.CreateControl<TEdit>(desc.name, parent);
        case ControlType::CheckBox:
            return form.CreateControl<TCheckBox>(desc.name, parent);
        case ControlType::RadioButton:
            return form.CreateControl<TRadioButton>(desc.name, parent);
        case ControlType::ComboBox:
            return form.CreateControl<TComboBox>(desc.name, parent);
        case ControlType::ProgressBar:
            return form.CreateControl<TProgressBar>(desc.name, parent);
        case ControlType::GroupBox:
            return form.CreateControl<TGroupBox>(desc.name, parent);
        case ControlType::PageControl:
            return form.CreateControl<TPageControl>(desc.name, parent);
        case ControlType::TabSheet:
            return form.CreateControl<TTabSheet>(desc.name, parent);
        case ControlType::Panel:
            return form.CreateControl<TPanel>(desc.name, parent);
        case ControlType::Image:
            return form.CreateControl<TImage>(desc.name, parent);
        case ControlType::DriveComboBox:
            return form.CreateControl<TDriveComboBox>(desc.name, parent);
        case ControlType::DirectoryListBox:
            return form.CreateControl<TDirectoryListBox>(desc.name, parent);
    }
    throw std::logic_error("unknown control type for " + desc.name);
}

}  // namespace

void BuildLayout(TForm& form, const FormSpec& desc) {
    form.SetCaption(desc.caption);
    form.SetBorderStyle(desc.borderStyle);
    form.SetBorderIcons(desc.borderIcons);
    form.SetColor(desc.color);
    form.SetFont(desc.font);
    form.SetPixelsPerInch(desc.pixelsPerInch);
    form.SetBounds(desc.left, desc.top, desc.clientWidth + TForm::kFrameWidth,
                   desc.clientHeight + TForm::kFrameHeight);
    form.SetDesignVisible(desc.visible);

    std::vector<std::pair<TDriveComboBox*, std::string>> links;
    for (const ControlSpec& c : desc.controls) {
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
