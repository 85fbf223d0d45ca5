#pragma once

namespace kelvane {

// A content view that reads its data again in place. The main window asks for it where
// it would otherwise build the view afresh (after connecting), so the view, and what
// the user scrolled to, stay; a view whose loads turn asynchronous keeps this one entry
// point. Views that read nothing from the server need not be one. GUI thread.
class ReloadableView {
  public:
    virtual void reload() = 0;

  protected:
    ~ReloadableView() = default;
};

} // namespace kelvane
