#pragma once

class TForm1;
class TForm2;
class TAboutBox;
class TForm4;
class TForm5;
class TForm6;
class TForm7;
class LiveSettings;

// The program's seven windows, which reach each other through this table. Each is
// filled in as the window is created; all exist before the first event is handled.
struct Forms {
    TForm1* form1 = nullptr;
    TForm2* form2 = nullptr;
    TAboutBox* aboutBox = nullptr;
    TForm4* form4 = nullptr;
    TForm5* form5 = nullptr;
    TForm6* form6 = nullptr;
    TForm7* form7 = nullptr;
    // The settings dialog's fields, as the live settings; none before it exists.
    const LiveSettings* settings = nullptr;
};
