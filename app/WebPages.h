// The maker's web pages opened from the tray menu.
#pragma once

#define VISTALS_WEB_SITE "https://www.corvanesoftware.com"

constexpr const char kHomePage[] = VISTALS_WEB_SITE "/";
constexpr const char kSupportPage[] = VISTALS_WEB_SITE "/support";
constexpr const char kOrderPage[] = VISTALS_WEB_SITE "/order";
