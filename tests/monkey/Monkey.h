// The person at the keyboard: each step looks at what the program shows and
// does one thing a person could do there, chosen by chance. Opening windows
// weighs more than closing them, so the run often gets deep: a dialog, its
// Options sheet, a message box on top, and the tray menu used meanwhile.
#pragma once

#include "Dice.h"
#include "Pictures.h"
#include "ProgramUnderTest.h"

#include <functional>
#include <string>
#include <vector>

struct Step {
    explicit Step(std::string what_, bool mayEnd_ = false, std::string fault_ = {})
        : what(std::move(what_)), mayEnd(mayEnd_), fault(std::move(fault_)) {}
    std::string what;
    bool mayEnd = false;  // Exit, a session's end, or the task ended
    // Exit: unless a modal window of the program is still open, it has ended.
    bool mustEnd = false;
    std::string fault;    // found while acting: the program did not answer
};

class Monkey {
public:
    Monkey(ProgramUnderTest& program, Pictures& pictures, uint32_t seed);
    Step Act();

private:
    struct Choice {
        unsigned weight;
        std::function<Step()> perform;
    };
    using Choices = std::vector<Choice>;

    void OfferTray(Choices& choices);
    void OfferSelectDialog(Choices& choices, HWND dialog);
    void OfferLabelEdit(Choices& choices, HWND dialog, HWND tree);
    void OfferFileControls(Choices& choices, HWND dialog);
    void OfferSheet(Choices& choices, HWND sheet);
    void OfferPageControl(Choices& choices, HWND page, HWND control);
    void OfferMessageBox(Choices& choices, HWND box);

    Step TrayMenu(size_t item);
    // Right-clicks the tray icon; the popup once it shows, or null.
    HWND OpenTrayMenu();
    std::string MenuFault() const;
    Step Type(HWND edit, const std::string& text, const std::string& where);
    // Types or pastes a name or a path into the label edit, then Enter or Esc.
    Step TypeLabel(HWND edit);

    ProgramUnderTest& program_;
    Pictures& pictures_;
    Dice dice_;
    const std::vector<MenuItem> trayMenu_;
};
