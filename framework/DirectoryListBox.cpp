#include "framework/DirectoryListBox.h"

#include "framework/DriveComboBox.h"
#include "framework/EInOutError.h"
#include "framework/VolumeQueries.h"
#include "platform/Files.h"
#include "platform/Folders.h"
#include "platform/Paths.h"
#include "platform/Volumes.h"

namespace framework {

namespace {

// The elements of an absolute path: the root first ("/" or "C:\"), then one name each.
std::vector<std::string> SplitChain(const std::string& path) {
    const platform::PathSyntax& s = platform::HostSyntax();
    std::vector<std::string> chain;
    std::size_t pos = 0;
    if (s.drives && path.size() >= 2 && path[1] == ':') {
        chain.push_back(path.substr(0, 2) + s.separator);
        pos = 2;
    } else {
        chain.push_back(std::string(1, s.separator));
    }
    std::string element;
    for (; pos <= path.size(); ++pos) {
        if (pos == path.size() || path[pos] == s.separator) {
            if (!element.empty() && element != ".") {
                if (element == "..") {
                    if (chain.size() > 1) chain.pop_back();
                } else {
                    chain.push_back(element);
                }
            }
            element.clear();
        } else {
            element += path[pos];
        }
    }
    return chain;
}

std::string JoinChain(const std::vector<std::string>& chain, std::size_t count) {
    const char sep = platform::HostSyntax().separator;
    std::string path = chain.empty() ? std::string(1, sep) : chain[0];
    for (std::size_t i = 1; i < count && i < chain.size(); ++i) {
        if (path.back() != sep) path += sep;
        path += chain[i];
    }
    return path;
}

// The folder in the form the list shows it: absolute, one separator between elements,
// no trailing separator (except the root), "." and ".." resolved by name.
std::string Normalize(const std::string& directory) {
    auto chain = SplitChain(platform::MakeAbsolute(directory));
    return JoinChain(chain, chain.size());
}

}  // namespace

TDirectoryListBox::TDirectoryListBox(TForm& form, std::string name)
    : TControl(form, ControlType::DirectoryListBox, std::move(name)) {
    SetTabStop(true);
    directory_ = Normalize(platform::CurrentFolder());
    lastFolderOfVolume_[CurrentVolumeQueries().volumeOf(directory_)] = directory_;
    BuildList();
}

void TDirectoryListBox::SetDirectory(const std::string& directory) {
    if (directory.empty()) return;
    std::string normal = Normalize(directory);
    if (normal == directory_) return;
    if (!platform::CanEnterFolder(normal)) {
        throw EInOutError(directory + " に移動できません", 3);
    }
    directory_ = normal;
    lastFolderOfVolume_[CurrentVolumeQueries().volumeOf(directory_)] = directory_;
    BuildList();
    Fire(OnChange);
}

std::string TDirectoryListBox::Drive() const {
    return CurrentVolumeQueries().volumeOf(directory_);
}

void TDirectoryListBox::SetDrive(const std::string& root) {
    if (root.empty() || platform::SameVolume(root, Drive())) return;
    auto last = lastFolderOfVolume_.find(root);
    std::string target = root;
    if (last != lastFolderOfVolume_.end() && platform::CanEnterFolder(last->second)) {
        target = last->second;
    }
    try {
        SetDirectory(target);
    } catch (const EInOutError&) {
        // A volume that cannot be entered leaves the list where it is.
    }
}

void TDirectoryListBox::BuildList() {
    auto chain = SplitChain(directory_);
    chainLength_ = static_cast<int>(chain.size());
    for (std::string& sub : platform::ListSubfolders(directory_)) chain.push_back(std::move(sub));
    SetItems(std::move(chain));
    TControl::SetItemIndex(chainLength_ - 1);
}

std::string TDirectoryListBox::ItemPath(int index) const {
    if (index < 0 || index >= static_cast<int>(Items().size())) return {};
    if (index < chainLength_) {
        return JoinChain(SplitChain(directory_), static_cast<std::size_t>(index) + 1);
    }
    return platform::JoinPath(
        directory_ == std::string(1, platform::HostSyntax().separator) ? std::string() : directory_,
        Items()[static_cast<std::size_t>(index)]);
}

int TDirectoryListBox::ItemLevel(int index) const {
    return index < chainLength_ ? index : chainLength_;
}

void TDirectoryListBox::UserSelectItem(int index) {
    if (!CanFocus() || index < 0 || index >= static_cast<int>(Items().size())) return;
    AsUserAction([this, index] { SetDirectory(ItemPath(index)); });
}

void TDirectoryListBox::UserChooseFolder(const std::string& path) {
    if (!CanFocus()) return;
    AsUserAction([this, &path] { SetDirectory(path); });
}

}  // namespace framework
