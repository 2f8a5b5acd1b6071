#pragma once
// Generated pages (directory listings, and later other protocols' menus) are written one unit at a
// time into the free space of the protocol's buffer. A unit longer than that space is not cut off:
// its unwritten rest is kept and handed out first on the next call.

#include <cstddef>
#include <string>

namespace corvane::protocols {

class GeneratedUnits {
  public:
    virtual ~GeneratedUnits() = default;

    // Copies at most `capacity` bytes (capacity > 0) of the pending unit, making the next unit
    // first when nothing is pending. Answers the bytes written, or 0 when every unit is written.
    int Fill(char* destination, int capacity);

  protected:
    // Appends the next unit to `unit` (which is empty); answers false when there are no more.
    virtual bool NextUnit(std::string& unit) = 0;

  private:
    std::string pending_;
    std::size_t written_ = 0;
};

}  // namespace corvane::protocols
