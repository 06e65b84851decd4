#pragma once
// What the about box's OK does to the main window: reveal the entry controls, then run the
// window's Enter action.
namespace kavr::ui {

class AboutBoxClient
{
public:
    virtual ~AboutBoxClient() = default;
    virtual void showEntryControls() = 0;
    virtual void BtnEnterClick() = 0;
};

} // namespace kavr::ui
