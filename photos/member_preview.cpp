#include "photos/member_preview.h"

#include "common/gbk.h"
#include "photos/photo_file_name.h"
#include "photos/photo_store.h"
#include "web/fetch.h"

namespace miyoutong {

std::string MemberInfoText(const std::string& memberId, const std::string& nickname,
                           const std::string& age, const std::string& region,
                           const std::string& integrity) {
    const std::string gap = "\r\n\r\n";
    return Gbk("会员ID：") + memberId + gap + Gbk("昵  称：") + nickname + gap + Gbk("年  龄：") +
           age + gap + Gbk("地  区：") + region + gap + Gbk("诚信值：") + integrity;
}

std::string ProfileUrl(const std::string& profileHost, const std::string& memberId) {
    return "http://" + profileHost + "/profile/getmemberdata.jsps?memberid=" + memberId;
}

MemberPreview::MemberPreview(ControlSurface& controls, std::string profileHost, Bytes placeholder,
                             const StopFlag& stop)
    : controls_(controls),
      profileHost_(std::move(profileHost)),
      placeholder_(std::move(placeholder)),
      stop_(stop) {}

void MemberPreview::ShowMember() {
    // The selection is read afresh for every cell: other handlers may run while events are
    // handled below.
    auto selectedCell = [this](int column) {
        return controls_.CellText(controls_.RowSelection(), column);
    };
    const std::string memberId = selectedCell(kColumnMemberId);
    const std::string nickname = selectedCell(kColumnNickname);
    const std::string age = selectedCell(kColumnAge);
    const std::string region = selectedCell(kColumnRegion);
    const std::string integrity = selectedCell(kColumnIntegrity);
    controls_.SetCaption(Control::标签10,
                         MemberInfoText(memberId, nickname, age, region, integrity));

    if (selectedCell(kColumnSavedPath).empty()) {
        const int row = controls_.RowSelection();
        controls_.SetPicture(placeholder_);
        controls_.HandlePendingEvents();
        // Another row selected meanwhile has been previewed by its own handler, which owns the
        // picture box now.
        if (controls_.RowSelection() != row) {
            return;
        }
        const Bytes photo = FetchPhoto(controls_.CellText(row, kColumnPhotoUrl));
        if (controls_.RowSelection() != row || stop_) {
            return;
        }
        controls_.SetPicture(photo);
    } else {
        const std::string path = PhotoPath(controls_.ProgramDirectory(),
                                           selectedCell(kColumnSavedPath));
        controls_.SetPicture(ReadWholeFile(path));
    }
}

void MemberPreview::OpenMemberProfile() {
    const std::string memberId = controls_.CellText(controls_.RowSelection(), kColumnMemberId);
    controls_.OpenAddress(ProfileUrl(profileHost_, memberId));
}

Bytes MemberPreview::FetchPhoto(const std::string& url) {
    FetchOptions options;
    options.handlePendingEvents = [this] { controls_.HandlePendingEvents(); };
    options.shouldAbort = [this] { return stop_.load(); };
    return FetchBytes(url, options);
}

}  // namespace miyoutong
