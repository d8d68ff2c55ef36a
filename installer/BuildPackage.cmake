# Builds one Windows Installer package (cmake -P), for installer/CMakeLists.txt:
#   WIXL, MSIINFO, MSIBUILD  the programs of Debian's wixl and msitools
#   SOURCE_DIR  this folder (Quillery.wxs)      STAGE  the folder with the files to install
#   WIDTH       x86 or x64                      VERSION  the product's version
#   OUTPUT      the .msi to write
# wixl writes the package from Quillery.wxs; then the rows that wixl's WiX subset cannot say
# (or says wrongly) are amended in the package's own tables, exported and imported again with
# msitools.
foreach(variable WIXL MSIINFO MSIBUILD SOURCE_DIR STAGE WIDTH VERSION OUTPUT)
    if(NOT DEFINED ${variable})
        message(FATAL_ERROR "BuildPackage.cmake: ${variable} is not set")
    endif()
endforeach()

function(run)
    execute_process(COMMAND ${ARGN} WORKING_DIRECTORY ${STAGE} RESULT_VARIABLE failed
                    OUTPUT_VARIABLE output ERROR_VARIABLE output)
    if(failed)
        message(FATAL_ERROR "${ARGN}:\n${output}")
    endif()
    set(output "${output}" PARENT_SCOPE)
endfunction()

# Exports `table` into `output`.
function(export table)
    run(${MSIINFO} export ${OUTPUT}.tmp ${table})
    set(output "${output}" PARENT_SCOPE)
endfunction()

# Replaces the text `old` of `table`, as msiinfo exports it (tab-separated rows), by `new`.
function(amend table old new)
    export(${table})
    string(FIND "${output}" "${old}" at)
    if(at EQUAL -1)
        message(FATAL_ERROR "BuildPackage.cmake: no \"${old}\" in the ${table} table:\n${output}")
    endif()
    string(REPLACE "${old}" "${new}" output "${output}")
    file(WRITE ${OUTPUT}.${table}.idt "${output}")
    run(${MSIBUILD} ${OUTPUT}.tmp -i ${OUTPUT}.${table}.idt)
    file(REMOVE ${OUTPUT}.${table}.idt)
endfunction()

file(REMOVE ${OUTPUT} ${OUTPUT}.tmp)
run(${WIXL} -a ${WIDTH} -I ${SOURCE_DIR} -D Width=${WIDTH} -D Version=${VERSION}
    -o ${OUTPUT}.tmp ${SOURCE_DIR}/Quillery.wxs)

# Menu.dat holds the user's snippets: never overwritten where one exists, never removed
# (msidbComponentAttributesPermanent 16, NeverOverwrite 128, beside 64-bit 256 in x64).
export(Component)
if(NOT output MATCHES "\nMenuData\t[^\t]*\tInstallFolder\t([0-9]+)\t")
    message(FATAL_ERROR "BuildPackage.cmake: no MenuData component:\n${output}")
endif()
set(row "${CMAKE_MATCH_0}")
math(EXPR attributes "${CMAKE_MATCH_1} | 16 | 128")
string(REGEX REPLACE "\t[0-9]+\t$" "\t${attributes}\t" amended "${row}")
amend(Component "${row}" "${amended}")

# Where the files go (Quillery.wxs): the folder Windows Installer registered for the installed
# program (a CompLocator search, which wixl cannot write, of the component that holds
# Quillery.exe; with no Signature row it gives the file's folder), else the recorded one, else
# the folder an earlier package recorded the parent of, else the user's Programs folder. The
# actions run in both sequences right after AppSearch: the properties they set are private, so
# the execute sequence sets them again for itself.
export(Component)
if(NOT output MATCHES "\nResidentProgram\t({[-0-9A-F]+})\t")
    message(FATAL_ERROR "BuildPackage.cmake: no ResidentProgram component:\n${output}")
endif()
file(WRITE ${OUTPUT}.CompLocator.idt "Signature_\tComponentId\tType\ns72\ts38\tI2\n"
     "CompLocator\tSignature_\nInstalledProgram\t${CMAKE_MATCH_1}\t1\n")
run(${MSIBUILD} ${OUTPUT}.tmp -i ${OUTPUT}.CompLocator.idt)
file(REMOVE ${OUTPUT}.CompLocator.idt)
amend(AppSearch "\nQuilleryFolder\tRecordedFolder\n"
      "\nQuilleryFolder\tRecordedFolder\nInstalledFolder\tInstalledProgram\n")
set(folder_actions
    "FolderOfEarlierPackage\tNOT QuilleryFolder AND EarlierProgramsFolder\t51\n"
    "DefaultFolder\tNOT QuilleryFolder\t52\nInstallIntoFolder\t\t53\n"
    "InstallIntoInstalledFolder\tInstalled AND InstalledFolder\t54\n")
string(CONCAT folder_actions ${folder_actions})
foreach(sequence InstallUISequence InstallExecuteSequence)
    amend(${sequence} "\nAppSearch\t\t50\n" "\nAppSearch\t\t50\n${folder_actions}")
endforeach()

# MajorUpgrade's upgrade covers older versions only; the same version too
# (msidbUpgradeAttributesVersionMaxInclusive 512), so that a rebuild replaces the installed one.
amend(Upgrade "\t1\t\tWIX_UPGRADE_DETECTED" "\t513\t\tWIX_UPGRADE_DETECTED")

# The resident program starts as an install with a user interface finishes (Quillery.wxs,
# StartResidentProgram). wixl, given any row of the execute sequence, moves the major upgrade's
# RemoveExistingProducts to the sequence's end, which would install the new version before
# removing the old: the row goes in here instead, after InstallFinalize (6600).
amend(InstallExecuteSequence "\nInstallFinalize\t\t6600\n"
      "\nInstallFinalize\t\t6600\nStartResidentProgram\tUILevel > 2 AND NOT Installed AND NOT REMOVE=\"ALL\"\t6601\n")

file(RENAME ${OUTPUT}.tmp ${OUTPUT})
