# Tab completion for fillwright in PowerShell. Optional: to have it in every
# session, add a line that loads this file to your profile, for example
#   . 'C:\Program Files\fillwright\fillwright-completion.ps1'
#
#   fillwright <starting dir> <file of substitutions> [F|H|I] [-keyword=value | -keyword value]... [--tool-options]

Register-ArgumentCompleter -Native -CommandName fillwright, fillwright.exe -ScriptBlock {
    param($wordToComplete, $commandAst, $cursorPosition)

    $toolOptions = '--check', '--diff', '--strict', '--explain', '--verbose', '--atomic', '--json', '--help', '--version'

    # The arguments wholly before the cursor (the first element is the
    # command); a quoted one, such as '-MOTD=$(HOST)', by its text inside the
    # quotes.
    $before = @($commandAst.CommandElements |
        Select-Object -Skip 1 |
        Where-Object { $_.Extent.EndOffset -lt $cursorPosition } |
        ForEach-Object {
            if ($_ -is [System.Management.Automation.Language.StringConstantExpressionAst] -or
                $_ -is [System.Management.Automation.Language.ExpandableStringExpressionAst]) { $_.Value }
            else { $_.Extent.Text }
        })

    $position = 0
    $takesValue = $false
    foreach ($word in $before) {
        if ($takesValue) { $takesValue = $false; continue }
        if ($toolOptions -ccontains $word -or $word -match '^-.+=') { continue }
        # -keyword without = takes the next argument as its value; a lone -
        # (standard input) is positional.
        if ($word -match '^-.') { $takesValue = $true; continue }
        $position++
    }

    # A keyword's value is free text: offer nothing (PowerShell then offers
    # file names of its own).
    if ($takesValue) { return }

    if ($wordToComplete -like '-*') {
        $toolOptions + '--env=' | Where-Object { $_ -like "$wordToComplete*" } | ForEach-Object {
            [System.Management.Automation.CompletionResult]::new($_, $_, 'ParameterName', $_)
        }
        return
    }

    switch ($position) {
        0 {
            [System.Management.Automation.CompletionCompleters]::CompleteFilename($wordToComplete) |
                Where-Object { $_.ResultType -eq 'ProviderContainer' }
        }
        1 { [System.Management.Automation.CompletionCompleters]::CompleteFilename($wordToComplete) }
        2 {
            'F', 'H', 'I' | Where-Object { $_ -like "$wordToComplete*" } | ForEach-Object {
                [System.Management.Automation.CompletionResult]::new($_, $_, 'ParameterValue', $_)
            }
        }
    }
}
