#include "shared/Form.h"

#include <stdexcept>

namespace quillery {

Form::~Form() {
    // Not through CurrentThread(): this may run while the thread's context is being freed.
    if (context_ != nullptr && context_->Window(slot_) == this) {
        context_->RegisterWindow(slot_, nullptr);
    }
}

void Form::ShowModal() {
    if (showing_) {
        throw std::logic_error("the window is already shown");
    }
    ResetToDesign();
    view_ = CreateView();
    if (!view_) {
        throw std::runtime_error("the window could not be created");
    }
    loaded_ = true;
    context_ = &CurrentThread();
    context_->RegisterWindow(slot_, this);
    // The view is released only here, after the modal loop, never inside a handler.
    showing_ = true;
    struct ReleaseView {
        Form& form;
        ~ReleaseView() {
            if (form.loaded_) {
                form.Close();
            }
            form.view_.reset();
            form.showing_ = false;
        }
    } release{*this};

    Form_Load();
    if (loaded_) {
        view_->RunModal();
    }
    // A modal loop that ended without an unload (the window system closed the window) or an
    // exception out of the load step still unloads the window, in ReleaseView.
}

void Form::Close() {
    if (!loaded_) {
        return;
    }
    try {
        Form_Unload();
    } catch (...) {
        // The window goes whatever its unload step did.
    }
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
