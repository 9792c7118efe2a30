// The maker's addresses, shown by the engine (settings dialog, about box, the
// title of a saver without titles) and by the authoring program's about box.
// Change them here only.
#pragma once

// The web page that button and about box open.
#define VT_MAKER_WEB_ADDRESS "http://www.vantrelle.example/"
// The same address as the title of every picture of a saver without titles.
#define VT_MAKER_WEB_ADDRESS_CAPS "WWW.VANTRELLE.EXAMPLE"
// The contact line at the bottom of the settings dialog.
#define VT_MAKER_CONTACT "Reports and questions: support@vantrelle.example"
// Where the updater fetches its version list and the program files: the update
// folder, the product folder, the language folder. A file's address is this
// followed by its name.
#define VT_UPDATE_BASE_ADDRESS "http://www.vantrelle.example/update/glimmerdeck/eng/"

#ifndef RC_INVOKED
inline constexpr const char* kMakerWebAddress = VT_MAKER_WEB_ADDRESS;
inline constexpr const char* kMakerPromotionTitle = VT_MAKER_WEB_ADDRESS_CAPS;
inline constexpr const char* kMakerContact = VT_MAKER_CONTACT;
inline constexpr const char* kUpdateBaseAddress = VT_UPDATE_BASE_ADDRESS;
#endif
