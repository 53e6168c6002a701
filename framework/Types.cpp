#include "framework/Types.h"

namespace framework {

const char* ControlTypeName(ControlType type) {
    switch (type) {
        case ControlType::Label:
            return "TLabel";
        case ControlType::Button:
            return "TButton";
        case ControlType::BitBtn:
            return "TBitBtn";
        case ControlType::Edit:
            return "TEdit";
        case ControlType::CheckBox:
            return "TCheckBox";
        case ControlType::RadioButton:
            return "TRadioButton";
        case ControlType::ComboBox:
            return "TComboBox";
        case ControlType::ProgressBar:
            return "TProgressBar";
        case ControlType::GroupBox:
            return "TGroupBox";
        case ControlType::PageControl:
            return "TPageControl";
        case ControlType::TabSheet:
            return "TTabSheet";
        case ControlType::Panel:
            return "TPanel";
        case ControlType::Image:
            return "TImage";
        case ControlType::DriveComboBox:
            return "TDriveComboBox";
        case ControlType::DirectoryListBox:
            return "TDirectoryListBox";
    }
    return "?";
}

const char* PropertyName(Property property) {
    switch (property) {
        case Property::Caption:
            return "Caption";
        case Property::Visible:
            return "Visible";
        case Property::Enabled:
            return "Enabled";
        case Property::Checked:
            return "Checked";
        case Property::Items:
            return "Items";
        case Property::ItemIndex:
            return "ItemIndex";
        case Property::Position:
            return "Position";
        case Property::Range:
            return "Range";
        case Property::Bounds:
            return "Bounds";
        case Property::Font:
            return "Font";
        case Property::Color:
            return "Color";
        case Property::TabOrder:
            return "TabOrder";
        case Property::TabStop:
            return "TabStop";
        case Property::Tag:
            return "Tag";
        case Property::Alignment:
            return "Alignment";
        case Property::Kind:
            return "Kind";
        case Property::Default:
            return "Default";
        case Property::ActivePage:
            return "ActivePage";
        case Property::Focus:
            return "Focus";
        case Property::Parent:
            return "Parent";
        case Property::Style:
            return "Style";
        case Property::BorderIcons:
            return "BorderIcons";
        case Property::BorderStyle:
            return "BorderStyle";
        case Property::ModalResult:
            return "ModalResult";
    }
    return "?";
}

}  // namespace framework
