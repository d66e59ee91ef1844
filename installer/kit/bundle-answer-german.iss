[CustomMessages]
; bundle-answer-german.iss: the bundle offer page's texts in German, for a
; setup with bundle-answer.iss whose [Languages] have "german". Include it
; right after bundle-answer.iss: an entry for one language counts only where
; it comes after the kit's own, which are for every language. (The section
; comes first: the kit ends in [Code], where ";" starts no comment.)
german.BundleAnswerTitle=Optionales Angebot: %1
german.BundleAnswerSubtitle=Von %1, nicht Teil von %2.
german.BundleAnswerText=Dies ist ein optionales Angebot von %1: %2, das %3 installiert. %4 funktioniert ohne es genauso, und nichts davon wird installiert, wenn Sie das Kästchen unten nicht ankreuzen.
german.BundleAnswerTerms=Lizenzbedingungen von %1: %2
german.BundleAnswerPrivacy=Datenschutzerklärung von %1: %2
german.BundleAnswerBox=&Ja, %1 ebenfalls installieren
