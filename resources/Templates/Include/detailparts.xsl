<?xml version="1.0" encoding="UTF-8"?>
<!-- Building blocks shared by the details templates: field labels (the user's own field names), credits
     by role, ratings, the groups of book data, the contents table and the loan. Written for the details
     viewer's HTML: tables for layout, no floats and no scripts. Values are always copied as text, so
     markup in a title shows as typed. -->
<xsl:stylesheet version="1.0" xmlns:xsl="http://www.w3.org/1999/XSL/Transform">

  <xsl:key name="label" match="/bookinfo/bookmetadata/field" use="@name"/>

  <!-- The label the user gave a field, by its built-in name. -->
  <xsl:template name="label">
    <xsl:param name="name"/>
    <xsl:variable name="label" select="key('label', $name)/@label"/>
    <xsl:choose>
      <xsl:when test="$label"><xsl:value-of select="$label"/></xsl:when>
      <xsl:otherwise><xsl:value-of select="$name"/></xsl:otherwise>
    </xsl:choose>
  </xsl:template>

  <!-- A row "label: value", only when there is a value. -->
  <xsl:template name="row">
    <xsl:param name="name"/>
    <xsl:param name="value"/>
    <xsl:if test="string($value) != '' and string($value) != '0'">
      <tr>
        <td class="label" valign="top" nowrap="nowrap"><xsl:call-template name="label">
          <xsl:with-param name="name" select="$name"/></xsl:call-template></td>
        <td class="value" valign="top"><xsl:value-of select="$value"/></td>
      </tr>
    </xsl:if>
  </xsl:template>

  <!-- A row whose value is a list of pick-list entries, joined by commas. -->
  <xsl:template name="list-row">
    <xsl:param name="name"/>
    <xsl:param name="entries"/>
    <xsl:if test="$entries">
      <tr>
        <td class="label" valign="top" nowrap="nowrap"><xsl:call-template name="label">
          <xsl:with-param name="name" select="$name"/></xsl:call-template></td>
        <td class="value" valign="top">
          <xsl:for-each select="$entries">
            <xsl:value-of select="displayname"/>
            <xsl:if test="position() != last()">, </xsl:if>
          </xsl:for-each>
        </td>
      </tr>
    </xsl:if>
  </xsl:template>

  <!-- One row per credit role, in the order the roles first appear: "Editor: A, B". -->
  <xsl:template name="credit-rows">
    <xsl:param name="credits"/>
    <xsl:for-each select="$credits/credit[not(role = preceding-sibling::credit/role)]">
      <xsl:variable name="role" select="role"/>
      <tr>
        <td class="label" valign="top" nowrap="nowrap"><xsl:call-template name="label">
          <xsl:with-param name="name" select="$role"/></xsl:call-template></td>
        <td class="value" valign="top">
          <xsl:for-each select="$credits/credit[role = $role]">
            <span class="person"><xsl:value-of select="person/displayname"/></span>
            <xsl:if test="position() != last()">, </xsl:if>
          </xsl:for-each>
        </td>
      </tr>
    </xsl:for-each>
  </xsl:template>

  <!-- Everyone credited, "A, B (Editor)", on one line. -->
  <xsl:template name="credit-line">
    <xsl:param name="credits"/>
    <xsl:for-each select="$credits/credit">
      <xsl:value-of select="person/displayname"/>
      <xsl:if test="role != 'Author'">
        <xsl:text> (</xsl:text>
        <xsl:call-template name="label"><xsl:with-param name="name" select="role"/></xsl:call-template>
        <xsl:text>)</xsl:text>
      </xsl:if>
      <xsl:if test="position() != last()">, </xsl:if>
    </xsl:for-each>
  </xsl:template>

  <!-- A rating of 1 to 10 as five stars, rounded up, and the number. -->
  <xsl:template name="stars">
    <xsl:param name="rating"/>
    <xsl:if test="number($rating) &gt; 0">
      <xsl:variable name="full" select="floor((number($rating) + 1) div 2)"/>
      <span class="stars"><xsl:value-of select="substring('&#9733;&#9733;&#9733;&#9733;&#9733;', 1, $full)"/></span>
      <span class="dim"><xsl:value-of select="substring('&#9734;&#9734;&#9734;&#9734;&#9734;', 1, 5 - $full)"/>
        <xsl:text> </xsl:text><xsl:value-of select="$rating"/>/10</span>
    </xsl:if>
  </xsl:template>

  <!-- "Sherlock Holmes #3 (of 9)" -->
  <xsl:template name="series-text">
    <xsl:param name="book"/>
    <xsl:variable name="series" select="$book/mainsection/series"/>
    <xsl:if test="$series">
      <xsl:value-of select="$series/displayname"/>
      <xsl:if test="$book/issuenr"> #<xsl:value-of select="$book/issuenr"/></xsl:if>
      <xsl:if test="$series/issuecount"> (of <xsl:value-of select="$series/issuecount"/>)</xsl:if>
    </xsl:if>
  </xsl:template>

  <!-- Rows of the edition: publisher, dates, numbers and the physical book. -->
  <xsl:template name="edition-rows">
    <xsl:param name="book"/>
    <xsl:call-template name="row"><xsl:with-param name="name" select="'Publisher'"/>
      <xsl:with-param name="value" select="$book/publisher/displayname"/></xsl:call-template>
    <xsl:call-template name="row"><xsl:with-param name="name" select="'Printed By'"/>
      <xsl:with-param name="value" select="$book/printedby/displayname"/></xsl:call-template>
    <xsl:call-template name="row"><xsl:with-param name="name" select="'Publication Date'"/>
      <xsl:with-param name="value" select="$book/publicationdate/date"/></xsl:call-template>
    <xsl:call-template name="row"><xsl:with-param name="name" select="'Edition'"/>
      <xsl:with-param name="value" select="$book/edition/displayname"/></xsl:call-template>
    <xsl:call-template name="row"><xsl:with-param name="name" select="'Printing'"/>
      <xsl:with-param name="value" select="$book/printing"/></xsl:call-template>
    <xsl:if test="$book/firstedition = 'Yes'">
      <xsl:call-template name="row"><xsl:with-param name="name" select="'First Edition'"/>
        <xsl:with-param name="value" select="'Yes'"/></xsl:call-template>
    </xsl:if>
    <xsl:call-template name="row"><xsl:with-param name="name" select="'ISBN'"/>
      <xsl:with-param name="value" select="$book/isbn"/></xsl:call-template>
    <xsl:call-template name="row"><xsl:with-param name="name" select="'Format'"/>
      <xsl:with-param name="value" select="$book/format/displayname"/></xsl:call-template>
    <xsl:call-template name="row"><xsl:with-param name="name" select="'Nr of Pages'"/>
      <xsl:with-param name="value" select="$book/mainsection/pagecount"/></xsl:call-template>
    <xsl:if test="number($book/height) &gt; 0 or number($book/width) &gt; 0">
      <tr>
        <td class="label" nowrap="nowrap">Size (H x W)</td>
        <td class="value"><xsl:value-of select="$book/height"/> x <xsl:value-of select="$book/width"/></td>
      </tr>
    </xsl:if>
    <xsl:call-template name="row"><xsl:with-param name="name" select="'Paper Type'"/>
      <xsl:with-param name="value" select="$book/papertype/displayname"/></xsl:call-template>
    <xsl:call-template name="row"><xsl:with-param name="name" select="'Volume'"/>
      <xsl:with-param name="value" select="$book/volume/displayname"/></xsl:call-template>
    <xsl:call-template name="row"><xsl:with-param name="name" select="'Language'"/>
      <xsl:with-param name="value" select="$book/language/displayname"/></xsl:call-template>
    <xsl:call-template name="row"><xsl:with-param name="name" select="'Country'"/>
      <xsl:with-param name="value" select="$book/country/displayname"/></xsl:call-template>
    <xsl:call-template name="row"><xsl:with-param name="name" select="'Cover Price'"/>
      <xsl:with-param name="value" select="$book/coverprice"/></xsl:call-template>
    <xsl:call-template name="row"><xsl:with-param name="name" select="'LoC Classification'"/>
      <xsl:with-param name="value" select="$book/lccn"/></xsl:call-template>
    <xsl:call-template name="row"><xsl:with-param name="name" select="'Dewey'"/>
      <xsl:with-param name="value" select="$book/dewey"/></xsl:call-template>
    <xsl:call-template name="list-row"><xsl:with-param name="name" select="'Genre'"/>
      <xsl:with-param name="entries" select="$book/genres/genre"/></xsl:call-template>
    <xsl:call-template name="list-row"><xsl:with-param name="name" select="'Character'"/>
      <xsl:with-param name="entries" select="$book/mainsection/characters/character"/></xsl:call-template>
    <xsl:call-template name="list-row"><xsl:with-param name="name" select="'Extras'"/>
      <xsl:with-param name="entries" select="$book/extras/extra"/></xsl:call-template>
  </xsl:template>

  <!-- Rows of the original edition of a translated or reissued work. -->
  <xsl:template name="original-rows">
    <xsl:param name="book"/>
    <xsl:variable name="original" select="$book/mainsection/original"/>
    <xsl:call-template name="row"><xsl:with-param name="name" select="'Original Title'"/>
      <xsl:with-param name="value" select="$original/origtitle"/></xsl:call-template>
    <xsl:call-template name="row"><xsl:with-param name="name" select="'Original Subtitle'"/>
      <xsl:with-param name="value" select="$original/origsubtitle"/></xsl:call-template>
    <xsl:call-template name="row"><xsl:with-param name="name" select="'Original Publisher'"/>
      <xsl:with-param name="value" select="$original/origpublisher/displayname"/></xsl:call-template>
    <xsl:call-template name="row"><xsl:with-param name="name" select="'Original Country'"/>
      <xsl:with-param name="value" select="$original/origcountry/displayname"/></xsl:call-template>
    <xsl:call-template name="row"><xsl:with-param name="name" select="'Original Language'"/>
      <xsl:with-param name="value" select="$original/origlanguage/displayname"/></xsl:call-template>
    <xsl:call-template name="row"><xsl:with-param name="name" select="'Orginal Publication Date'"/>
      <xsl:with-param name="value" select="$original/origpublicationdate/date"/></xsl:call-template>
  </xsl:template>

  <!-- Rows about this copy: where it is, what it cost, what it is worth, whether it was read. -->
  <xsl:template name="copy-rows">
    <xsl:param name="book"/>
    <xsl:if test="$book/incollection = 'No'">
      <xsl:call-template name="row"><xsl:with-param name="name" select="'In Collection'"/>
        <xsl:with-param name="value" select="'No'"/></xsl:call-template>
    </xsl:if>
    <xsl:if test="$book/rare = 'Yes'">
      <xsl:call-template name="row"><xsl:with-param name="name" select="'Rare'"/>
        <xsl:with-param name="value" select="'Yes'"/></xsl:call-template>
    </xsl:if>
    <xsl:call-template name="row"><xsl:with-param name="name" select="'Condition'"/>
      <xsl:with-param name="value" select="$book/condition/displayname"/></xsl:call-template>
    <xsl:call-template name="row"><xsl:with-param name="name" select="'Location'"/>
      <xsl:with-param name="value" select="$book/location/displayname"/></xsl:call-template>
    <xsl:call-template name="row"><xsl:with-param name="name" select="'Owner'"/>
      <xsl:with-param name="value" select="$book/owner/displayname"/></xsl:call-template>
    <xsl:call-template name="row"><xsl:with-param name="name" select="'Store'"/>
      <xsl:with-param name="value" select="$book/store/displayname"/></xsl:call-template>
    <xsl:call-template name="row"><xsl:with-param name="name" select="'Purchase Date'"/>
      <xsl:with-param name="value" select="$book/purchasedate/date"/></xsl:call-template>
    <xsl:call-template name="row"><xsl:with-param name="name" select="'Purchase Price'"/>
      <xsl:with-param name="value" select="$book/purchaseprice"/></xsl:call-template>
    <xsl:call-template name="row"><xsl:with-param name="name" select="'Current Value'"/>
      <xsl:with-param name="value" select="$book/currentprice"/></xsl:call-template>
    <xsl:if test="$book/readit = 'Yes'">
      <tr>
        <td class="label" nowrap="nowrap"><xsl:call-template name="label">
          <xsl:with-param name="name" select="'Read It'"/></xsl:call-template></td>
        <td class="value">Yes<xsl:if test="$book/readingdate/date">, <xsl:value-of
          select="$book/readingdate/date"/></xsl:if></td>
      </tr>
    </xsl:if>
    <xsl:call-template name="row"><xsl:with-param name="name" select="'User Text 1'"/>
      <xsl:with-param name="value" select="$book/mainsection/usertext1"/></xsl:call-template>
    <xsl:call-template name="row"><xsl:with-param name="name" select="'User Text 2'"/>
      <xsl:with-param name="value" select="$book/mainsection/usertext2"/></xsl:call-template>
    <xsl:call-template name="row"><xsl:with-param name="name" select="'User Lookup 1'"/>
      <xsl:with-param name="value" select="$book/mainsection/userlookup1/displayname"/></xsl:call-template>
    <xsl:call-template name="row"><xsl:with-param name="name" select="'User Lookup 2'"/>
      <xsl:with-param name="value" select="$book/mainsection/userlookup2/displayname"/></xsl:call-template>
    <xsl:call-template name="row"><xsl:with-param name="name" select="'Index'"/>
      <xsl:with-param name="value" select="$book/index"/></xsl:call-template>
  </xsl:template>

  <!-- The book's own web page, as a link. -->
  <xsl:template name="url-row">
    <xsl:param name="book"/>
    <xsl:if test="$book/url">
      <tr>
        <td class="label" nowrap="nowrap"><xsl:call-template name="label">
          <xsl:with-param name="name" select="'URL'"/></xsl:call-template></td>
        <td class="value"><a href="{$book/url}"><xsl:value-of select="$book/url"/></a></td>
      </tr>
    </xsl:if>
  </xsl:template>

  <!-- The contents: one row per section. -->
  <xsl:template name="sections-table">
    <xsl:param name="book"/>
    <xsl:if test="$book/sections/section">
      <table class="contents" width="99%" cellspacing="0" cellpadding="3">
        <tr class="head">
          <th align="right">#</th>
          <th align="left"><xsl:call-template name="label"><xsl:with-param name="name" select="'Title'"/></xsl:call-template></th>
          <th align="left">Credits</th>
          <xsl:if test="$book/sections/section/startpage">
            <th align="right"><xsl:call-template name="label"><xsl:with-param name="name" select="'Start Page'"/></xsl:call-template></th>
          </xsl:if>
          <th align="right"><xsl:call-template name="label"><xsl:with-param name="name" select="'Rating'"/></xsl:call-template></th>
        </tr>
        <xsl:for-each select="$book/sections/section">
          <tr>
            <xsl:if test="position() mod 2 = 0"><xsl:attribute name="class">even</xsl:attribute></xsl:if>
            <td align="right" valign="top" class="dim"><xsl:value-of select="position()"/></td>
            <td valign="top">
              <xsl:value-of select="title"/>
              <xsl:if test="subtitle"><span class="dim"> &#8211; <xsl:value-of select="subtitle"/></span></xsl:if>
              <xsl:if test="original/origpublicationdate/date">
                <span class="dim"> (<xsl:value-of select="original/origpublicationdate/date"/>)</span>
              </xsl:if>
            </td>
            <td valign="top"><xsl:call-template name="credit-line">
              <xsl:with-param name="credits" select="credits"/></xsl:call-template></td>
            <xsl:if test="$book/sections/section/startpage">
              <td align="right" valign="top"><xsl:value-of select="startpage"/></td>
            </xsl:if>
            <td align="right" valign="top" nowrap="nowrap"><xsl:if test="myrating"><xsl:value-of
              select="myrating"/></xsl:if></td>
          </tr>
        </xsl:for-each>
      </table>
    </xsl:if>
  </xsl:template>

  <!-- The current loan, in warning colours when it is overdue. -->
  <xsl:template name="loan-box">
    <xsl:param name="book"/>
    <xsl:variable name="loan" select="$book/loan"/>
    <xsl:if test="$loan">
      <table class="loan" width="99%" cellspacing="0" cellpadding="6">
        <xsl:if test="$loan/overdue = 'True'"><xsl:attribute name="class">loan overdue</xsl:attribute></xsl:if>
        <tr><td>
          <b>Lent to <xsl:value-of select="$loan/loanedto"/></b>
          <xsl:text> on </xsl:text><xsl:value-of select="$loan/loandate"/>
          <xsl:if test="$loan/duedate">
            <xsl:text>, due </xsl:text><xsl:value-of select="$loan/duedate"/>
          </xsl:if>
          <xsl:if test="$loan/overdue = 'True'"><b> &#8211; overdue</b></xsl:if>
          <xsl:if test="$loan/loannotes"><br/><i><xsl:value-of select="$loan/loannotes"/></i></xsl:if>
        </td></tr>
      </table>
    </xsl:if>
  </xsl:template>

  <!-- A paragraph of free text under a small heading, keeping the writer's line breaks. -->
  <xsl:template name="text-block">
    <xsl:param name="name"/>
    <xsl:param name="text"/>
    <xsl:if test="string($text) != ''">
      <xsl:variable name="label"><xsl:call-template name="label"><xsl:with-param name="name" select="$name"/></xsl:call-template></xsl:variable>
      <p class="heading"><xsl:value-of select="translate($label, 'abcdefghijklmnopqrstuvwxyz', 'ABCDEFGHIJKLMNOPQRSTUVWXYZ')"/></p>
      <p class="text"><xsl:call-template name="lines"><xsl:with-param name="text" select="$text"/></xsl:call-template></p>
    </xsl:if>
  </xsl:template>

  <xsl:template name="lines">
    <xsl:param name="text"/>
    <xsl:choose>
      <xsl:when test="contains($text, '&#10;')">
        <xsl:value-of select="substring-before($text, '&#10;')"/><br/>
        <xsl:call-template name="lines"><xsl:with-param name="text" select="substring-after($text, '&#10;')"/></xsl:call-template>
      </xsl:when>
      <xsl:otherwise><xsl:value-of select="$text"/></xsl:otherwise>
    </xsl:choose>
  </xsl:template>

</xsl:stylesheet>
