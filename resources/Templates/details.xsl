<?xml version="1.0" encoding="UTF-8"?>
<!-- The standard details page: the cover beside the title and credits, then the edition, the copy, the
     original edition, the text fields, the contents and the current loan. The cover is sized from
     "pagewidth", the inner width of the details panel in pixels. -->
<xsl:stylesheet version="1.0" xmlns:xsl="http://www.w3.org/1999/XSL/Transform">
  <xsl:import href="Include/detailparts.xsl"/>
  <xsl:output method="html" encoding="UTF-8"/>

  <xsl:param name="pagewidth" select="600"/>
  <xsl:param name="pageheight" select="400"/>

  <xsl:variable name="coverwidth">
    <xsl:choose>
      <xsl:when test="$pagewidth div 4 &lt; 90">90</xsl:when>
      <xsl:when test="$pagewidth div 4 &gt; 200">200</xsl:when>
      <xsl:otherwise><xsl:value-of select="floor($pagewidth div 4)"/></xsl:otherwise>
    </xsl:choose>
  </xsl:variable>

  <xsl:template match="/">
    <html>
      <head>
        <style type="text/css">
          body { font-family: sans-serif; font-size: 9pt; color: #202428; }
          .title { font-size: 15pt; font-weight: bold; color: #1f3f66; }
          .subtitle { font-size: 10.5pt; font-style: italic; color: #4a5560; }
          .byline { font-size: 10pt; }
          .series { color: #6b4b16; }
          .heading { font-size: 8pt; font-weight: bold; color: #1f3f66; margin-top: 10px; margin-bottom: 2px; }
          .label { color: #68727c; padding-right: 10px; }
          .dim { color: #8a939b; }
          .stars { color: #d39b0b; }
          .person { }
          .head { background-color: #e8eef4; color: #1f3f66; }
          .even { background-color: #f5f7f9; }
          .loan { background-color: #fff6d8; }
          .overdue { background-color: #ffe0dc; color: #8a1c10; }
          .text { margin-top: 0px; }
        </style>
      </head>
      <body>
        <xsl:apply-templates select="bookinfo/booklist/book"/>
      </body>
    </html>
  </xsl:template>

  <xsl:template match="book">
    <xsl:variable name="main" select="mainsection"/>
    <xsl:call-template name="loan-box"><xsl:with-param name="book" select="."/></xsl:call-template>
    <table width="99%" cellspacing="0" cellpadding="0">
      <tr>
        <xsl:if test="coverfront">
          <td valign="top" width="{$coverwidth + 14}">
            <img src="{coverfront}" width="{$coverwidth}"/>
          </td>
        </xsl:if>
        <td valign="top">
          <p style="margin-top: 0px; margin-bottom: 2px;"><span class="title"><xsl:value-of select="$main/title"/></span></p>
          <xsl:if test="$main/subtitle">
            <p style="margin-top: 0px; margin-bottom: 4px;"><span class="subtitle"><xsl:value-of select="$main/subtitle"/></span></p>
          </xsl:if>
          <xsl:if test="$main/credits/credit[role = 'Author']">
            <p class="byline" style="margin-top: 2px; margin-bottom: 2px;">by <b><xsl:for-each select="$main/credits/credit[role = 'Author']">
              <xsl:value-of select="person/displayname"/><xsl:if test="position() != last()">, </xsl:if>
            </xsl:for-each></b></p>
          </xsl:if>
          <xsl:if test="$main/series">
            <p class="series" style="margin-top: 2px; margin-bottom: 2px;"><xsl:call-template name="series-text">
              <xsl:with-param name="book" select="."/></xsl:call-template></p>
          </xsl:if>
          <xsl:if test="$main/myrating">
            <p style="margin-top: 2px; margin-bottom: 6px;"><xsl:call-template name="stars">
              <xsl:with-param name="rating" select="$main/myrating"/></xsl:call-template></p>
          </xsl:if>
          <table cellspacing="0" cellpadding="1">
            <xsl:call-template name="credit-rows">
              <xsl:with-param name="credits" select="$main/credits"/></xsl:call-template>
            <xsl:call-template name="edition-rows"><xsl:with-param name="book" select="."/></xsl:call-template>
            <xsl:call-template name="url-row"><xsl:with-param name="book" select="."/></xsl:call-template>
          </table>
        </td>
      </tr>
    </table>

    <xsl:variable name="copy"><xsl:call-template name="copy-rows"><xsl:with-param name="book" select="."/></xsl:call-template></xsl:variable>
    <xsl:if test="string($copy) != ''">
      <p class="heading">YOUR COPY</p>
      <table cellspacing="0" cellpadding="1">
        <xsl:call-template name="copy-rows"><xsl:with-param name="book" select="."/></xsl:call-template>
      </table>
    </xsl:if>

    <xsl:variable name="original"><xsl:call-template name="original-rows"><xsl:with-param name="book" select="."/></xsl:call-template></xsl:variable>
    <xsl:if test="string($original) != ''">
      <p class="heading">ORIGINAL EDITION</p>
      <table cellspacing="0" cellpadding="1">
        <xsl:call-template name="original-rows"><xsl:with-param name="book" select="."/></xsl:call-template>
      </table>
    </xsl:if>

    <xsl:call-template name="text-block"><xsl:with-param name="name" select="'Plot'"/>
      <xsl:with-param name="text" select="$main/plot"/></xsl:call-template>
    <xsl:call-template name="text-block"><xsl:with-param name="name" select="'Notes'"/>
      <xsl:with-param name="text" select="$main/notes"/></xsl:call-template>
    <xsl:call-template name="text-block"><xsl:with-param name="name" select="'Dedication'"/>
      <xsl:with-param name="text" select="dedication"/></xsl:call-template>

    <xsl:if test="sections/section">
      <p class="heading">CONTENTS</p>
      <xsl:call-template name="sections-table"><xsl:with-param name="book" select="."/></xsl:call-template>
    </xsl:if>
    <xsl:if test="coverback">
      <p class="heading"><xsl:call-template name="label"><xsl:with-param name="name" select="'Back Cover'"/></xsl:call-template></p>
      <img src="{coverback}" width="{$coverwidth}"/>
    </xsl:if>
  </xsl:template>
</xsl:stylesheet>
