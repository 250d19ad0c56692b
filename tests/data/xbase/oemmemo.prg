/* Makes the OEM and memo fixtures with the independent engine, and its answers:
 *   PEOPLE.DBF, PEOPLE.NTX  names in OEM bytes (code page 437/850), indexed on NAME
 *   people.tsv              per name: the name in ANSI (1252) bytes, the record a seek finds,
 *                           the records a filter NAME = name shows
 *   NOTES.DBF, NOTES.DBT    memo texts, dBASE III blocks
 *   memo.tsv                per expression: the count and 0/1 on every record, or ERR
 * Rerun: see README.md ("OEM and memo fixtures"). */
REQUEST DBFNTX
/* functions that only the macro-compiled expressions call */
REQUEST RAT, RIGHT, ALLTRIM, LTRIM, ISUPPER, ISLOWER, ISDIGIT, PADR, PADL, STUFF, REPLICATE, ASC, VAL

PROCEDURE Main()
   LOCAL aPeople, aNames, aMemos, aExpr, i, cOut, cBits, nCount, bExpr, lOk, x

   rddSetDefault( "DBFNTX" )
   SET DELETED OFF
   SET EXACT OFF
   SET DATE AMERICAN

   /* { OEM bytes, ANSI bytes }: Ü é ñ ß ü and plain look-alikes */
   aPeople := { ;
      { "M" + Chr( 154 ) + "LLER",        "M" + Chr( 220 ) + "LLER" }, ;
      { "M" + Chr( 129 ) + "ller",        "M" + Chr( 252 ) + "ller" }, ;
      { "Jos" + Chr( 130 ),               "Jos" + Chr( 233 ) }, ;
      { "Pe" + Chr( 164 ) + "a",          "Pe" + Chr( 241 ) + "a" }, ;
      { "Stra" + Chr( 225 ) + "e",        "Stra" + Chr( 223 ) + "e" }, ;
      { "MUELLER",                        "MUELLER" }, ;
      { "Jose",                           "Jose" }, ;
      { "Pena",                           "Pena" }, ;
      { "Strasse",                        "Strasse" }, ;
      { "M" + Chr( 154 ) + "LLER-L" + Chr( 129 ) + "DENSCHEID", "M" + Chr( 220 ) + "LLER-L" + Chr( 252 ) + "DENSCHEID" }, ;
      { "Ca" + Chr( 164 ) + "on Jos" + Chr( 130 ), "Ca" + Chr( 241 ) + "on Jos" + Chr( 233 ) } }

   dbCreate( "PEOPLE.DBF", { { "NAME", "C", 20, 0 }, { "CITY", "C", 15, 0 } } )
   USE PEOPLE.DBF NEW EXCLUSIVE
   FOR i := 1 TO Len( aPeople )
      APPEND BLANK
      FIELD->NAME := aPeople[ i ][ 1 ]
      FIELD->CITY := iif( i % 2 == 0, "K" + Chr( 148 ) + "ln", "Z" + Chr( 129 ) + "rich" )
   NEXT
   INDEX ON NAME TO PEOPLE.NTX
   cOut := ""
   FOR i := 1 TO Len( aPeople )
      SET ORDER TO 1
      SEEK aPeople[ i ][ 1 ]
      cOut += aPeople[ i ][ 2 ] + Chr( 9 ) + iif( Found(), hb_ntos( RecNo() ), "0" ) + Chr( 9 )
      SET ORDER TO 0
      x := ""
      bExpr := &( "{|| NAME = '" + aPeople[ i ][ 1 ] + "' }" )
      dbEval( {|| x += iif( Empty( x ), "", "," ) + hb_ntos( RecNo() ) }, bExpr )
      cOut += x + hb_eol()
   NEXT
   CLOSE ALL
   hb_MemoWrit( "people.tsv", cOut )

   aMemos := { ;
      "", ;
      "urgent: call back", ;
      "URGENT", ;
      Replicate( "0123456789", 110 ) + " urgent " + Replicate( "abcdefghij", 40 ), ;
      "Line one" + Chr( 13 ) + Chr( 10 ) + "line two urgent", ;
      "   ", ;
      Chr( 13 ) + Chr( 10 ), ;
      "Herr M" + Chr( 129 ) + "ller, Stra" + Chr( 225 ) + "e 5", ;
      Replicate( "x", 511 ), ;
      Replicate( "y", 512 ), ;
      "trailing   ", ;
      "42 apples", ;
      "urgent", ;
      "Caf" + Chr( 130 ) + " urgent", ;
      "ab" }
   dbCreate( "NOTES.DBF", { { "NO", "N", 3, 0 }, { "TITLE", "C", 10, 0 }, { "NOTES", "M", 10, 0 } } )
   USE NOTES.DBF NEW EXCLUSIVE
   FOR i := 1 TO Len( aMemos )
      APPEND BLANK
      FIELD->NO := i
      FIELD->TITLE := { "urgent", "Line", "URGENT", "ab", "trailing" }[ i % 5 + 1 ]
      FIELD->NOTES := aMemos[ i ]
      IF i % 6 == 0
         DELETE
      ENDIF
   NEXT
   /* a changed memo moves to a new block; the old one stays behind unused */
   GO 13
   FIELD->NOTES := "urgent, moved to a block after the others"
   GO 15
   FIELD->NOTES := "a"
   COMMIT

   aExpr := { ;
      '"urgent" $ NOTES', 'EMPTY(NOTES)', '.NOT. EMPTY(NOTES)', 'LEN(NOTES) > 100', 'LEN(NOTES) = 0', ;
      'LEN(NOTES) = 511', 'LEN(NOTES) = 512', 'LEN(NOTES) = 1', 'UPPER(NOTES) = "URGENT"', '"URGENT" $ UPPER(NOTES)', ;
      'NOTES = "urgent"', 'NOTES == "urgent"', 'NOTES == "URGENT"', 'NOTES = ""', 'NOTES == ""', ;
      'LEFT(NOTES, 4) = "Line"', 'AT("urgent", NOTES) > 1000', 'AT("urgent", NOTES) = 1', 'RAT("u", NOTES) > 0', ;
      'SUBSTR(NOTES, 1100, 8) = " urgent "', 'RIGHT(NOTES, 3) = "ent"', 'TRIM(NOTES) == "trailing"', ;
      'LEN(TRIM(NOTES)) = 8', 'LEN(ALLTRIM(NOTES)) = 0', 'ALLTRIM(NOTES) == ""', 'NOTES > "M"', 'NOTES < "L"', ;
      'NOTES >= "urgent"', 'NOTES $ "urgent: call back please"', '"M" + CHR(129) $ NOTES', 'CHR(225) $ NOTES', ;
      'CHR(13) + CHR(10) $ NOTES', 'NOTES = TITLE', 'TITLE $ NOTES', 'TRIM(TITLE) $ NOTES', 'LEN(NOTES + TITLE) > 20', ;
      'ISUPPER(NOTES)', 'ISLOWER(NOTES)', 'ISDIGIT(NOTES)', 'ASC(NOTES) = 13', 'VAL(NOTES) > 40', 'VAL(NOTES) = 0', ;
      'DELETED() .AND. EMPTY(NOTES)', 'DELETED() .OR. "urgent" $ NOTES', 'NO > 10 .AND. LEN(NOTES) < 10', ;
      'LOWER(NOTES) = "urgent"', 'UPPER(LEFT(NOTES, 1)) = "U"', 'STUFF(NOTES, 1, 2, "") = "gent"', ;
      'PADR(NOTES, 3) == "ab "', 'PADL(NOTES, 4) == "  ab"', 'REPLICATE(NOTES, 2) == "abab"', ;
      'IIF(EMPTY(NOTES), TITLE, NOTES) = "urgent"', 'MIN(LEN(NOTES), 5) = 5', 'LEN(LTRIM(NOTES)) = 2', ;
      'NOTES = NOTES', 'NOTES == TRIM(NOTES)', 'LEN(NOTES) > 1000 .AND. "abcdefghij" $ RIGHT(NOTES, 10)', ;
      'UPPER(NOTES)', 'NOTES + 1 > 0', 'NOTES > 0' }
   cOut := ""
   FOR i := 1 TO Len( aExpr )
      cBits := ""
      nCount := 0
      lOk := .T.
      BEGIN SEQUENCE WITH {| e | Break( e ) }
         bExpr := &( "{|| " + aExpr[ i ] + " }" )
         GO TOP
         DO WHILE ! Eof()
            x := Eval( bExpr )
            IF ValType( x ) != "L"
               lOk := .F.
               EXIT
            ENDIF
            cBits += iif( x, "1", "0" )
            nCount += iif( x, 1, 0 )
            SKIP
         ENDDO
      RECOVER
         lOk := .F.
      END SEQUENCE
      cOut += iif( lOk, hb_ntos( nCount ) + Chr( 9 ) + cBits, "ERR" + Chr( 9 ) ) + Chr( 9 ) + aExpr[ i ] + Chr( 10 )
   NEXT
   CLOSE ALL
   hb_MemoWrit( "memo.tsv", cOut )
   RETURN
