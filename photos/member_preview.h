#pragma once

#include <string>

#include "common/bytes.h"
#include "common/control_surface.h"
#include "common/stop_flag.h"

namespace miyoutong {

// The member info text for the five values: "会员ID：<id>\r\n\r\n昵  称：..." with nothing after
// the last value.
std::string MemberInfoText(const std::string& memberId, const std::string& nickname,
                           const std::string& age, const std::string& region,
                           const std::string& integrity);

// "http://<profile host>/profile/getmemberdata.jsps?memberid=<id>".
std::string ProfileUrl(const std::string& profileHost, const std::string& memberId);

// The preview of the selected member and the profile page, on the UI thread.
class MemberPreview {
public:
    MemberPreview(ControlSurface& controls, std::string profileHost, Bytes placeholder,
                  const StopFlag& stop = NeverStop());

    // Shows the selected row's details, and its photo from the saved file or from the network
    // behind the placeholder. A photo that arrives after another row has been selected is
    // dropped, so the picture always belongs to the selected member.
    void ShowMember();

    // Opens the selected member's profile page in the browser.
    void OpenMemberProfile();

private:
    Bytes FetchPhoto(const std::string& url);

    ControlSurface& controls_;
    std::string profileHost_;
    Bytes placeholder_;
    const StopFlag& stop_;
};

}  // namespace miyoutong
