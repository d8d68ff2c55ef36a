#include "forms/Form.h"

#include "base/Attempt.h"
#include "base/Failure.h"

#include "base/ScopeExit.h"

namespace quillery {

Form::~Form() {
    if (windows_.At(role_) == this) {
        windows_.Register(role_, nullptr);
    }
}

void Form::ShowModal() {
    if (showing_) {
        throw Failure("the window is already shown");
    }
    ResetToDesign();
    view_ = CreateView();
    if (!view_) {
        throw Failure("the window could not be created");
    }
    loaded_ = true;
    windows_.Register(role_, this);
    showing_ = true;
    // The view is released only here, after the modal loop, never inside a handler. A modal
    // loop that ended without an unload (the window system closed the window) or an exception
    // out of the load step still unloads the window.
    const ScopeExit release([this] {
        Close();
        view_.reset();
        showing_ = false;
    });

    OnLoad();
    if (loaded_) {
        view_->RunModal();
    }
}

void Form::Close() noexcept {
    if (!loaded_) {
        return;
    }
    Attempt([this] { OnUnload(); }); // the window goes whatever its unload step did
    loaded_ = false;
    if (view_) {
        view_->EndModal();
    }
}

void Form::Refresh() {
    if (WindowView* view = View()) {
        view->Refresh();
    }
}

} // namespace quillery
