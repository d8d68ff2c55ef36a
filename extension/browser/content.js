// Quillery in the page. A click on the "Quillery" menu entry injects this script into the frame
// that was right-clicked (background.js), where it claims the field that the right-click
// focused: a text box, a text area or the editing host of contenteditable content. The chosen
// snippet then goes in through `quilleryInsert` with the claim's token, and only into that
// field: the claim lives in the extension's own script world of this document, which the page's
// scripts cannot reach and a later document in the same frame does not have.
//
// The snippet goes in at the caret, in place of any selected text, as the page's own scripts
// would see typing: an `input` event follows. A field that is read-only or disabled is left as
// it is, and a field with a `maxlength` takes only as much of the snippet as fits.
//
// Each run evaluates to {url, token, at, unfit}: this document's address, which the background
// compares with the right-clicked frame's, the new claim's token (null when no field has the
// focus), where on the screen the snippet menu is to open (null where that cannot be told), and,
// when the focused element is an input that takes no text (a number, a date), its type.
// A new claim replaces an earlier one of the document, whose snippet is then refused.
"use strict";

(() => {
    // The input types that hold free text, as a text box does.
    const TEXT_INPUT_TYPES = new Set(["text", "search", "url", "tel", "password", "email"]);

    // Returns {inserted: characters}, or {refused: reason} when the token is not this
    // document's current claim or the claimed field has left the page.
    globalThis.quilleryInsert = (token, text) => {
        const claim = globalThis.quilleryClaim;
        if (claim?.token !== token) {
            return { refused: "Quillery was chosen again in this page since" };
        }
        globalThis.quilleryClaim = null;
        if (!claim.field.isConnected) {
            return { refused: "the field you right-clicked is no longer in the page" };
        }
        return { inserted: insertSnippet(claim.field, text) };
    };

    function isTextControl(element) {
        return element instanceof HTMLTextAreaElement ||
            (element instanceof HTMLInputElement && TEXT_INPUT_TYPES.has(element.type));
    }

    // The field a node belongs to: a text box or text area, or the editing host of
    // contenteditable content (the outermost editable element); null when it is none of these.
    function editableFieldAt(node) {
        let element = node instanceof Element ? node : node?.parentElement;
        if (!element) {
            return null;
        }
        if (isTextControl(element)) {
            return element;
        }
        if (!element.isContentEditable) {
            return null;
        }
        while (element.parentElement?.isContentEditable) {
            element = element.parentElement;
        }
        return element;
    }

    // Puts the snippet into the field; returns the number of characters that went in.
    function insertSnippet(field, text) {
        // Neither read-only nor disabled (itself or by its fieldset), nor an element that has
        // stopped being editable since the right click.
        if (!field.matches(":read-write")) {
            return 0;
        }
        return isTextControl(field) ? insertIntoControl(field, text)
            : insertIntoEditable(field, text);
    }

    function insertIntoControl(field, text) {
        // A one-line box takes no line breaks: they become spaces.
        let snippet = field instanceof HTMLInputElement ? text.replace(/\r\n|\r|\n/g, " ")
            : text.replace(/\r\n?/g, "\n");
        // An e-mail box has no caret position to read: the snippet goes at its end.
        const hasCaret = field.selectionStart !== null;
        const start = hasCaret ? field.selectionStart : field.value.length;
        const end = hasCaret ? field.selectionEnd : start;
        if (field.maxLength >= 0) {
            const kept = field.value.length - (end - start);
            snippet = snippet.slice(0, Math.max(0, field.maxLength - kept));
        }
        // Nothing fits: the selection stays too, rather than being replaced by nothing.
        if (snippet === "") {
            return 0;
        }
        if (hasCaret) {
            field.setRangeText(snippet, start, end, "end");
        } else {
            field.value += snippet;
        }
        field.focus();
        announceInput(field, snippet);
        return snippet.length;
    }

    function insertIntoEditable(host, text) {
        const selection = getSelection();
        let range = selection.rangeCount > 0 ? selection.getRangeAt(0) : null;
        if (!range || !host.contains(range.commonAncestorContainer)) {
            // The caret is elsewhere: the snippet goes at the field's end.
            range = document.createRange();
            range.selectNodeContents(host);
            range.collapse(false);
        }
        const lines = text.split(/\r\n|\r|\n/);
        const content = document.createDocumentFragment();
        lines.forEach((line, index) => {
            if (index > 0) {
                content.append(document.createElement("br"));
            }
            content.append(line);
        });
        const last = content.lastChild;
        range.deleteContents();
        range.insertNode(content);
        range.setStartAfter(last);
        range.collapse(true);
        host.focus();
        selection.removeAllRanges();
        selection.addRange(range);
        const snippet = lines.join("\n");
        announceInput(host, snippet);
        return snippet.length;
    }

    // Tells the page's scripts of the change as typing would.
    function announceInput(field, snippet) {
        field.dispatchEvent(new InputEvent("input", {
            bubbles: true,
            composed: true,
            inputType: "insertText",
            data: snippet,
        }));
    }

    // Where the snippet menu is to open: the middle of the field's part in view, on the screen in
    // its own pixels. The right-click's point is gone by the time this runs (the pointer has
    // moved onto the browser's menu entry), but the field holds it. A field that has gone out of
    // view since (scrolled, moved by the page), or a frame partly out of the page's view, gives
    // the nearest point of the view: the point never lies outside the page's visible part.
    // Null where the field's place on the screen cannot be told: inside a frame from another
    // site, in Chromium.
    function screenPointOf(field) {
        const box = field.getBoundingClientRect();
        const within = (value, size) => Math.min(Math.max(value, 0), size);
        const middle = (from, to, size) => (within(from, size) + within(to, size)) / 2;
        let x = middle(box.left, box.right, innerWidth);
        let y = middle(box.top, box.bottom, innerHeight);
        if (typeof globalThis.mozInnerScreenX === "number") {
            // Firefox tells where this document's view lies on the screen, frames too; the top
            // page's view, where this document may see it, bounds a frame's point.
            x += globalThis.mozInnerScreenX;
            y += globalThis.mozInnerScreenY;
            try {
                x = top.mozInnerScreenX + within(x - top.mozInnerScreenX, top.innerWidth);
                y = top.mozInnerScreenY + within(y - top.mozInnerScreenY, top.innerHeight);
            } catch {
                // A top page from another site: the frame's own view bounds the point.
            }
        } else {
            // The frames' places in the page, as far as the page lets this document see them.
            let view = window;
            for (; view !== top; view = view.parent) {
                let frame;
                try {
                    frame = view.frameElement;
                } catch {
                    return null;
                }
                if (!frame) {
                    return null;
                }
                const style = getComputedStyle(frame);
                const place = frame.getBoundingClientRect();
                x += place.left + frame.clientLeft + parseFloat(style.paddingLeft);
                y += place.top + frame.clientTop + parseFloat(style.paddingTop);
            }
            x = within(x, view.innerWidth);
            y = within(y, view.innerHeight);
            // The page's view in the window: the window's frame alike on the left, right and
            // bottom, the rest of the height is the bars above the page (at a page zoom of
            // 100 %, where the window's and the page's pixels agree).
            const side = Math.max(0, (outerWidth - view.innerWidth) / 2);
            x += screenX + side;
            y += screenY + Math.max(0, outerHeight - view.innerHeight - side);
        }
        return { x: Math.round(x * devicePixelRatio), y: Math.round(y * devicePixelRatio) };
    }

    // The right-click focused the field; a field in an open shadow root is focused inside it.
    let focused = document.activeElement;
    while (focused?.shadowRoot?.activeElement) {
        focused = focused.shadowRoot.activeElement;
    }
    const field = editableFieldAt(focused);
    const token = field ? crypto.getRandomValues(new Uint32Array(4)).join("-") : null;
    globalThis.quilleryClaim = field ? { token, field } : null;
    const unfit = !field && focused instanceof HTMLInputElement ? focused.type : undefined;
    return { url: location.href, token, at: field ? screenPointOf(field) : null, unfit };
})();
