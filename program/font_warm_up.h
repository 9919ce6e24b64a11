#pragma once

#include <thread>

// Reads the system's font configuration on a second thread while the toolkit starts.
//
// The first font the program asks for makes fontconfig read and parse every file of its
// configuration, which takes longer than the toolkit's whole start before it; nothing
// else needs the fonts that early, so the two can run side by side. Made before the
// application object; wait() before the first font is used (it is thread-safe, but a
// second reader arriving meanwhile would read the configuration a second time).
class FontWarmUp {
  public:
    FontWarmUp();
    ~FontWarmUp();
    FontWarmUp(const FontWarmUp&) = delete;
    FontWarmUp& operator=(const FontWarmUp&) = delete;

    // Returns once the configuration is read; at once after the first call.
    void wait();

  private:
    std::thread thread_;
};
