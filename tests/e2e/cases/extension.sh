#!/usr/bin/env bash
# The browser's script (extension/Quillery.htm) with the real component, in a page made of
# stand-ins: the focused field, its selection and the document, as the browser would hand
# them over through external.menuArguments. The user chooses from the real menu with the real
# pointer; the field's value afterwards is what the page would show.
# shellcheck source=tests/e2e/lib.sh
source "$(dirname "$0")/../lib.sh"

install_server "$E2E_WORK/server"
make_menu_file "$server_dir/Menu.dat" "1|Short|short text" $'2|Lines|first line\r\nsecond line'

# The page's script as it stands, without its last line (which hands it the browser's page).
# Wine's VBScript cannot declare a member named Select, so the stand-in range calls it
# SelectRange and the script's one call of it is renamed to match. (It also reports no syntax
# errors: a script that does not parse simply prints nothing.)
page_script=$(sed -n '/<script language="VBScript">/,/<\/script>/p' \
    "$E2E_ROOT/extension/Quillery.htm" | sed '1d;$d' |
    grep -v '^InsertSnippet external.menuArguments' | sed 's/^\( *range\)\.select$/\1.SelectRange/')
[[ $page_script == *"Sub InsertSnippet(page)"* ]] || fail "no InsertSnippet in Quillery.htm"
grep -q 'SelectRange' <<<"$page_script" || fail "the script no longer selects the range"

harness="$E2E_WORK/page.vbs"
{
    printf '%s\n' "$page_script"
    cat <<'VBS'

Class FakeField
    Public tagName
    Public type
    Public value
    Public readOnly
    Public disabled
    Public maxLength
    Public Sub focus()
    End Sub
End Class

' The characters first + 1 to last of the field's value.
Class FakeRange
    Public owner
    Public first
    Public last
    Public Function parentElement()
        Set parentElement = owner
    End Function
    Public Property Get text()
        text = Mid(owner.value, first + 1, last - first)
    End Property
    Public Property Let text(inserted)
        owner.value = Left(owner.value, first) & inserted & Mid(owner.value, last + 1)
        last = first + Len(inserted)
    End Property
    Public Sub collapse(toStart)
        If toStart Then last = first Else first = last
    End Sub
    Public Sub SelectRange()
    End Sub
End Class

Class FakeSelection
    Public current
    Public Function createRange()
        Set createRange = current
    End Function
End Class

Class FakeDocument
    Public activeElement
    Public selection
End Class

Class FakePage
    Public document
End Class

Dim testField, testRange, testSelection, testDocument, testPage
Set testField = New FakeField
testField.readOnly = False
testField.disabled = False
testField.maxLength = 2147483647
Set testRange = New FakeRange
Set testRange.owner = testField
Set testSelection = New FakeSelection
Set testSelection.current = testRange
Set testDocument = New FakeDocument
Set testDocument.activeElement = testField
Set testDocument.selection = testSelection
Set testPage = New FakePage
Set testPage.document = testDocument

Select Case WScript.Arguments(0)
Case "input"
    testField.tagName = "INPUT": testField.type = "text": testField.value = "Name: XXX!"
    testRange.first = 6: testRange.last = 9
Case "textarea"
    testField.tagName = "TEXTAREA": testField.type = "textarea": testField.value = "Hi" & vbCrLf
    testField.maxLength = Empty
    testRange.first = 4: testRange.last = 4
Case "limited"
    testField.tagName = "INPUT": testField.type = "text": testField.value = "abc"
    testField.maxLength = 10
    testRange.first = 3: testRange.last = 3
Case "button"
    testField.tagName = "INPUT": testField.type = "button": testField.value = "Send"
    testRange.first = 0: testRange.last = 0
End Select
InsertSnippet testPage
WScript.Echo "value=[" & Replace(testField.value, vbCrLf, "\n") & "]"
VBS
} >"$harness"

# Runs the page's script in case $1; the user does $2 ("line N", "leave" or "nothing");
# the field's value must then be $3.
run_page() {
    local name=$1 action=$2 want=$3 out="$E2E_WORK/$1.out" pid tries=200
    xdotool mousemove 300 400
    wine cscript //nologo "$(winpath "$harness")" "$name" >"$out" 2>&1 &
    pid=$!
    case $action in
    line*)
        wait_for_menu
        click_line "${action#line }"
        ;;
    leave)
        wait_for_menu
        xdotool mousemove 900 700
        ;;
    esac
    while kill -0 "$pid" 2>/dev/null; do
        ((tries-- > 0)) || fail "$name: the script did not end"
        sleep 0.1
    done
    local got
    got=$(tr -d '\r' <"$out")
    [[ $got == "value=[$want]" ]] || fail "$name: the field holds ${got:-nothing}, not [$want]"
    echo "ok: $name, $action: [$want]"
}

run_page input "line 2" 'Name: first line second line!'
run_page textarea "line 2" 'Hi\nfirst line\nsecond line'
run_page limited "line 1" 'abcshort t'
run_page textarea leave 'Hi\n'
run_page button nothing 'Send'
probe gone --class QuillerySnippetMenu --timeout 1 >/dev/null || fail "a menu is open"
exit 0
