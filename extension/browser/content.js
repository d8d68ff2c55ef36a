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
// Each run evaluates to {url, token}: this document's address, which the background compares
// with the right-clicked frame's, and the new claim's token (null when no field has the focus).
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

    // The right-click focused the field; a field in an open shadow root is focused inside it.
    let focused = document.activeElement;
    while (focused?.shadowRoot?.activeElement) {
        focused = focused.shadowRoot.activeElement;
    }
    const field = editableFieldAt(focused);
    const token = field ? crypto.getRandomValues(new Uint32Array(4)).join("-") : null;
    globalThis.quilleryClaim = field ? { token, field } : null;
    return { url: location.href, token };
})();
